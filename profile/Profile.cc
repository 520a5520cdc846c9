#include "profile/Profile.h"
// Placeholder until the profile lands.
