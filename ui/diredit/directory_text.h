// ui/diredit/directory_text.h -- the directory edit's text rules, apart from any window: the cut
// at a line break, the folder taken from a dropped item and where the folder browser starts.
#pragma once

#include "runtime/string.h"

namespace vlm {

// Text cut before its first carriage return or line feed (a pasted block keeps its first line).
String CutAtLineBreak(const String& Text);

// Path without one trailing backslash ("D:\data\" -> "D:\data"; "C:\" -> "C:").
String WithoutTrailingBackslash(const String& Path);

// The folder a dropped shell item stands for: an existing file gives its folder, anything else
// the path itself; either way without a trailing backslash.
String DroppedDirectory(const String& DroppedPath);

// Whether Path names an existing folder (its attributes can be read and have the directory bit).
bool IsExistingFolder(const String& Path);

// Where the folder browser starts for the field's text: the text, or InitialDir when the text is
// empty, or "\" (the current drive's root) when neither is set or the choice is not an existing
// folder.
String BrowseStartDirectory(const String& Text, const String& InitialDir);

}  // namespace vlm
