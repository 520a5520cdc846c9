#include "client/BoundClientLibrary.h"

namespace {

// The first of the spellings under which `find` knows the function.
template <typename Pointer>
void FindOne(const FindLibraryFunction& find, const std::vector<std::string>& spellings,
             Pointer* pointer, FoundFunction* found) {
  for (const std::string& spelling : spellings) {
    const LibraryFunction function = find(spelling);
    if (function != nullptr) {
      *pointer = reinterpret_cast<Pointer>(function);
      found->foundAs = spelling;
      return;
    }
  }
}

std::vector<std::string> Spellings(const std::string& name, size_t stackBytes, bool decorated) {
  if (!decorated) return {name};
  const std::string suffix = "@" + std::to_string(stackBytes);
  return {name, name + suffix, "_" + name + suffix};
}

}  // namespace

std::vector<FoundFunction> FindClientFunctions(const FindLibraryFunction& find, bool decorated,
                                               ClientFunctionTable* table) {
  std::vector<FoundFunction> found;
#define TARVO_FIND(result, name, parameters, arguments)                                         \
  found.push_back(FoundFunction{#name, std::string()});                                         \
  FindOne(find, Spellings(#name, StackBytes<void parameters>::kValue, decorated), &table->name, \
          &found.back());
  TARVO_CLIENT_FUNCTIONS(TARVO_FIND)
#undef TARVO_FIND
  return found;
}

std::string FirstMissingFunction(const std::vector<FoundFunction>& found) {
  for (const FoundFunction& function : found) {
    if (function.foundAs.empty()) return function.name;
  }
  return std::string();
}

// Each method calls the function the table holds for its name.
#define TARVO_CALL_BOUND(result, name, parameters, arguments) \
  result BoundClientLibrary::name parameters { return table_.name arguments; }
TARVO_CLIENT_FUNCTIONS(TARVO_CALL_BOUND)
#undef TARVO_CALL_BOUND
