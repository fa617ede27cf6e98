// The live registry behind CRegistryTree (RegistryRead.h): every key opened for reading only,
// KEY_READ in the 64-bit view, as the 64-bit registry editor exports it; no call that changes
// the registry. And what the head of a comparison with it says of the reader: whose
// HKEY_CURRENT_USER it is, and when it was read.
#pragma once

#include <memory>
#include <string>

#include "RegistryRead.h"

std::unique_ptr<CRegistryTree> OpenLiveRegistry();

// The user whose hive HKEY_CURRENT_USER is for this process: "DOMAIN\name", and the SID.
void CurrentUser(std::u16string& name, std::u16string& sid);
// The local time now, "2026-12-08 10:27:56".
std::u16string TimeNow();
