// Asking Windows to restart, with the shutdown privilege where the platform has a security model.
#pragma once

void RestartWindows();
