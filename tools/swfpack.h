// swfpack, the packaging tool: makes players from movies and shows what a
// player carries.
//
//   swfpack build --base swf_player.exe --movie M.swf [--settings S.json]
//                 [--icon I.ico] [--cursor C.cur] [--splash P.jpg]
//                 [--runtime MODULE.dll] [--runtime-warning TEXT] -o OUT.exe
//   swfpack info [--json] [--census] FILE
//   swfpack extract PLAYER.exe -o M.swf
//   swfpack settings --defaults
//
// Arguments are UTF-8. Exit status 0 on success, 1 with a one-line message
// on stderr for any error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

int RunSwfpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
