// Resource numbers of the applet module; the localisation library carries the same ones.
#pragma once

#define IDI_AUDIO_CPL 10001
#define IDS_CPL_NAME 50003
#define IDS_CPL_INFO 50005
