// The stand-in library exports exactly the interface's functions; everything
// else in it is hidden. Included before client/TarvoClient.h.
#pragma once

#if defined(_WIN32)
#define TARVO_API __declspec(dllexport)
#else
#define TARVO_API __attribute__((visibility("default")))
#endif
