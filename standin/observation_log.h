// The stand-in's observation log: one line per call the container makes into
// the object, per event the object fires and per use of an intercepted import.
// Every line goes to OutputDebugStringA and, when the environment variable
// FLASH_STANDIN_LOG names a file, is appended to that file (UTF-8, "\r\n").
//
// Line format: a kind word, a name, then space-separated arguments. Integers
// are decimal, 16-bit truth values are -1 or 0, doubles use %g, strings are
// written as they are (UTF-8; empty strings leave a trailing space).
//
//   call <Member> [args...]          a member of the scripting or OLE interfaces:
//                                    "call Rewind", "call StopPlay", "call GotoFrame 3",
//                                    "call SetZoomRect 0 0 11000 8000", "call put_Movie <url>",
//                                    "call put_Loop -1", "call DoVerb -5 0 0 550 400"
//   event <Name> [args...]           "event FSCommand quit <args>", "event ReadyStateChange 4",
//                                    "event Progress 100"
//   site <Method> hr=<0xhhhhhhhh>    calls the object makes on its client site and
//                                    in-place site: "site OnInPlaceActivate hr=0x00000000"
//   import <Function> <detail>       "import RegisterClassExA <class> atom=<n>",
//                                    "import CreateWindowExA <class> hwnd=<0|1>",
//                                    "import LoadCursorA <id> ok=<0|1>", "import LoadMenuA <id> ok=<0|1>",
//                                    "import CreateFileA <path> ok=<0|1>", "import CreateURLMoniker <url> hr=<0x..>",
//                                    "import waveOutWrite <bytes> result=<n>"
//   movie bytes <n> chunks <k>       all data of a movie has arrived (k reads or OnDataAvailable calls)
//   movie frames <n> rate <fps> version <v> sound=<0|1>     the movie parsed and plays
//   movie failed <reason>            no data, or data that is not a movie
//   frame <n>                        the frame shown changed to n (counted from 0)
//   geturl <url> <target>            a getURL action that is not an FSCommand
//   action <stop|play>               a frame's stop() or play() action
//   command <id> <name>              WM_COMMAND 20054 print / 20034 showall / context menu items
//   key down <vk>                    WM_KEYDOWN reached the movie's window
//   call TranslateAccelerator <msg> <wParam> <x> <y>   (Tab is taken; the point is the container's)
//   call OnMnemonic <msg> <wParam>   the container handed over the mnemonic (Execute key)
//   audio buffer zeroed=<0|1>        after each waveOutWrite: whether the buffer came back all zeros
//   fetch <location> thread=<main|worker>   a requested movie starts to be fetched (after the request returned)
//   fetched on <name>                the movie arrived whole; name is the fetching thread's name kept in the
//                                    module's static TLS ("main", or "worker" on the worker thread)
//   window <WM_NAME> [args]          a message from the container reached the runtime's window:
//                                    mouse "window WM_LBUTTONDOWN <x> <y>", "window WM_MOUSELEAVE",
//                                    "window WM_SIZE <w> <h>", "window WM_SETFOCUS", "window WM_KILLFOCUS",
//                                    "window WM_COMMAND <id>", "window WM_QUERYNEWPALETTE",
//                                    "window WM_PALETTECHANGED"
//   menu context <x> <y>             the runtime's context menu opened (on the right-button press)
//   ambient <Name> <value>           an ambient property read from the site: "ambient UserMode -1",
//                                    "ambient Font Tahoma"; "ambient <Name> hr=<0x..>" when the read
//                                    failed, "ambient none hr=<0x..>" when the site has no IDispatch
//   advise <Events|PropertyNotifySink> cookie=<n>       a sink connected ("... refused hr=<0x..>" when it
//                                    does not answer QueryInterface for the point's interface)
//   unadvise <Events|PropertyNotifySink> cookie=<n> hr=<0x..>
//   site OnFocus <0|1> hr=<0x..>     also "site TranslateAccelerator" (control site); "site RequestNewObjectLayout
//                                    hr=..." and "site OnPosRectChange hr=..." once a movie has arrived
//   activation failed hr=<0x..>      a site call failed and the in-place activation was undone
//   event <Stock> [args...]          stock events from real input, when FLASH_STANDIN_STOCK_EVENTS=1:
//                                    "event MouseDown <button> <shift> <x> <y>", "event Click",
//                                    "event KeyDown <vk> <shift>", "event KeyPress <char>"
//   detach refs=<n>                  the module is detached; n objects, factories and locks still live
#pragma once

namespace standin {

// printf-style; the line must not end in a newline. Thread-safe.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace standin
