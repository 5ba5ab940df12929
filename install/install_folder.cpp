#include "install/install_folder.h"

std::wstring g_strInstallPath;
