// The umbrella header a Win32 program includes.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winnt.h"
#include "winbase.h"
#include "winioctl.h"
#include "winreg.h"
#include "winuser.h"
