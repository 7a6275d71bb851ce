// ini/ini_text.cpp -- the INI line rules shared by the readers of INI text.
#include "ini/ini_text.h"

namespace vlm {

String TrimIniText(StringView Text) {
  size_t Start = 0, End = Text.size();
  while (Start < End && Text[Start] <= u' ') ++Start;
  while (End > Start && Text[End - 1] <= u' ') --End;
  return String(Text.substr(Start, End - Start));
}

void TrimIniTextInPlace(String& Text) {
  size_t End = Text.size();
  while (End > 0 && Text[End - 1] <= u' ') --End;
  Text.erase(End);
  size_t Start = 0;
  while (Start < Text.size() && Text[Start] <= u' ') ++Start;
  Text.erase(0, Start);
}

}  // namespace vlm
