// runtime/object.h -- the common root of objects that lists attach to their entries.
// A string list keeps a non-owning TObject* per entry; the INI engine attaches section lists.
#pragma once

namespace vlm {

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};

}  // namespace vlm
