// Help lines and listings.
#include "fum/help.h"

#include <cstdio>
#include <string>

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"

namespace kfio {

namespace {

// The member of the last row whose name matches (each name stands once).
XoScript* Lookup(const MemberTable& table, const char* name) {
  XoScript* found = nullptr;
  for (int i = table.First(name); i >= 0; i = table.Next(i)) found = table[i].member;
  return found;
}

void PrintNames(const MemberTable& table) {
  for (const MemberEntry& e : table) PrintLine(e.name);
}

void PrintNamesOf(const MemberTable& table, const XoScript* member) {
  for (const MemberEntry& e : table)
    if (e.member == member) PrintLine(e.name);
}

bool HasText(const char* text) { return text != nullptr && text[0] != '\0'; }

// An option argument: given, and its text starts with `letter` in either case.
bool StartsWith(bool given, const char* text, char letter) {
  if (!given || text == nullptr) return false;
  return text[0] == letter || text[0] == letter - 'a' + 'A';
}

// A name that names nothing: an error in the new error mode only.
int NameNotFound(ErrorPair codes, double* result) {
  if (NewErrorMode()) return Fail(codes);
  *result = 0.0;
  return 0;
}

// What Syntax and AltSpell share: without an argument the heading and every
// name of `all`; an argument without text names nothing. True when that
// settled the call.
bool ListOrRefuse(bool given, const char* text, const char* heading, const MemberTable& all,
                  double* result, int& status) {
  if (!given) {
    PrintLine(heading);
    PrintNames(all);
    *result = 0.0;
    status = 0;
    return true;
  }
  if (!HasText(text)) {
    status = NameNotFound(err::kNoName, result);
    return true;
  }
  return false;
}

}  // namespace

int XoSyntax::Execute(double* result, XoDLL& /*module*/) {
  *result = -1.0;
  const FumState& fum = TheState();
  int status = 0;
  if (ListOrRefuse(Given(name_), TextArg(name_), "Methods available in FUM: ", fum.Methods(), result, status)) return status;
  XoScript* method = Lookup(fum.Methods(), TextArg(name_));
  if (method == nullptr) return NameNotFound(err::kNoSuchMethod, result);
  std::string line = std::string("fum.") + TextArg(name_);
  if (auto* io = dynamic_cast<XoFUMIO*>(method); io != nullptr && io->Syntax() != nullptr)
    line += io->Syntax();
  PrintLine(line);
  *result = 0.0;
  return 0;
}

int XoAltSpell::Execute(double* result, XoDLL& /*module*/) {
  *result = -1.0;
  const FumState& fum = TheState();
  int status = 0;
  if (ListOrRefuse(Given(name_), TextArg(name_), "Properties available in FUM: ", fum.Properties(), result, status))
    return status;
  if (XoScript* m = Lookup(fum.Methods(), TextArg(name_))) {
    PrintNamesOf(fum.Methods(), m);
  } else if (XoScript* p = Lookup(fum.Properties(), TextArg(name_))) {
    PrintNamesOf(fum.Properties(), p);
  } else {
    return NameNotFound(err::kNoSuchMember, result);
  }
  *result = 0.0;
  return 0;
}

int XoListAll::Execute(double* result, XoDLL& /*module*/) {
  const FileRefList& files = TheState().files;
  if (files.IsEmpty()) {
    PrintLine("No open files.");
    *result = 0.0;
    return 0;
  }
  const bool showMode = StartsWith(Given(mode_), TextArg(mode_), 'm');
  const bool showPath = StartsWith(Given(path_), TextArg(path_), 'p');
  PrintLine(std::string(" hFile  ") + (showMode ? "Mode   " : "") + (showPath ? "Path" : "Name"));
  PrintLine("");
  static const char* const kModes[3] = {"read   ", "write  ", "both   "};
  int listed = 0;
  files.ForEach([&](const MyCFile* entry) {
    char number[32];
    if (entry->HandleNumber() == 0)
      std::snprintf(number, sizeof number, "        ");
    else
      std::snprintf(number, sizeof number, "%6d  ", entry->HandleNumber());
    std::string line = number;
    if (showMode && entry->openMode <= 2) line += kModes[entry->openMode];
    line += showPath ? entry->GetFilePath() : entry->GetFileName();
    PrintLine(line);
    ++listed;
  });
  *result = listed;
  return 0;
}

}  // namespace kfio
