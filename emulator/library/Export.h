// The stand-in library exports exactly the interface's functions; everything
// else in it is hidden. Included before client/TarvoClient.h.
#pragma once

// A build that names its exports in a module-definition file defines
// TARVO_API as empty.
#ifndef TARVO_API
#if defined(_WIN32)
#define TARVO_API __declspec(dllexport)
#else
#define TARVO_API __attribute__((visibility("default")))
#endif
#endif
