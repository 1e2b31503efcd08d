// The deployment settings themselves, for the configuration subsystem's
// readers (and tests).
#ifndef WEVELINK_CONFIG_DEPLOYMENT_SETTINGS_PRIVATE_H
#define WEVELINK_CONFIG_DEPLOYMENT_SETTINGS_PRIVATE_H

#include "config/deployment_settings.h"

extern DeploymentSettings g_DeploymentSettings;

#endif
