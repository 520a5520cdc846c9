// The client library reached through function pointers found by name at run
// time (how the programs bind it; see client/ClientBinding.h).
//
// ClientFunctionTable holds one pointer per library function, typed with the
// function's own parameters and calling convention. FindClientFunctions fills
// it through a lookup by name; BoundClientLibrary calls through a complete
// table exactly as LinkedClientLibrary calls the linked functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "client/ClientLibrary.h"

struct ClientFunctionTable {
#define TARVO_POINTER(result, name, parameters, arguments) \
  result(TARVO_CALL* name) parameters = nullptr;
  TARVO_CLIENT_FUNCTIONS(TARVO_POINTER)
#undef TARVO_POINTER
};

// The bytes a __stdcall function's arguments take on the stack, the N of its
// decorated names Name@N and _Name@N: each argument takes its size rounded up
// to a multiple of 4.
template <typename Function>
struct StackBytes;
template <typename... Arguments>
struct StackBytes<void(Arguments...)> {
  static constexpr size_t kValue = (size_t{0} + ... + ((sizeof(Arguments) + 3) / 4 * 4));
};

// A function found in a library, as the lookup gives it: null when absent.
using LibraryFunction = void (*)();
using FindLibraryFunction = std::function<LibraryFunction(const std::string& name)>;

struct FoundFunction {
  std::string name;     // the interface's name (ClientLogonEx)
  std::string foundAs;  // the exported name it was found under; empty when absent
};

// Looks up each of the library's functions, in the order of the interface,
// under its plain name and, when `decorated` (32-bit Windows), then under
// Name@N and _Name@N. Fills `table` with what is found and returns every
// function with the name it was found under.
std::vector<FoundFunction> FindClientFunctions(const FindLibraryFunction& find, bool decorated,
                                               ClientFunctionTable* table);

// The first function of `found` that is absent; empty when all are there.
std::string FirstMissingFunction(const std::vector<FoundFunction>& found);

class BoundClientLibrary final : public ClientLibrary {
 public:
  // The table must be complete (FirstMissingFunction empty).
  explicit BoundClientLibrary(const ClientFunctionTable& table) : table_(table) {}

#define TARVO_OVERRIDE(result, name, parameters, arguments) result name parameters override;
  TARVO_CLIENT_FUNCTIONS(TARVO_OVERRIDE)
#undef TARVO_OVERRIDE

 private:
  ClientFunctionTable table_;
};
