#include "profile/Text.h"
// Placeholder until the driver's Text lands.
