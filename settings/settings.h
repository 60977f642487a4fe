// The settings store: the show's values under "software\vistel" and the
// password under "Control Panel\Desktop", both in the registry file.
#pragma once

#include "settings/password_store.h"
#include "settings/show_settings.h"
#include "settings/stored_settings.h"
