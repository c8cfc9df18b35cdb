// Resource ids of the stand-in module (shared by the .rc script and the code).
#pragma once

#define IDC_STANDIN_STAGE 101
#define IDM_STANDIN_CONTEXT 102

#define IDM_STANDIN_ZOOM_IN 20031
#define IDM_STANDIN_ZOOM_OUT 20032
#define IDM_STANDIN_SHOW_ALL 20034
#define IDM_STANDIN_PLAY 20040
#define IDM_STANDIN_LOOP 20041
#define IDM_STANDIN_REWIND 20042
#define IDM_STANDIN_FORWARD 20043
#define IDM_STANDIN_BACK 20044
#define IDM_STANDIN_PRINT 20054
