// ini/ini_file.h -- TIniFile: the INI file class the program names; exactly a TMemIniFile.
// It reads the file once when created, keeps every change in memory, writes only on UpdateFile
// and writes nothing when released.
#pragma once

#include "ini/mem_ini_file.h"

namespace vlm {

class TIniFile : public TMemIniFile {
public:
  using TMemIniFile::TMemIniFile;
};

}  // namespace vlm
