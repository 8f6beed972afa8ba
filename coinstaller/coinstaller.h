// The card's device co-installer: starts the card's setup program when it is loaded.
#pragma once

#include <win32/setupapi.h>

extern "C" DWORD CALLBACK QvCoDeviceInstall(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                            PSP_DEVINFO_DATA DeviceInfoData, PCOINSTALLER_CONTEXT_DATA Context);

// The buffer holds kIntToWideUnits UTF-16 units.
constexpr int kIntToWideUnits = 20;
WCHAR* IntToWide(int value, WCHAR* buffer, int radix);

void LaunchSetupProgram();
