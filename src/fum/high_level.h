// XoHighLev: the base of methods that do their work by running other FUM
// methods (nested calls), with the script's settings saved before and put
// back after.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "fum/fumio.h"

namespace kfio {

// The method index: the number by which a high-level method names a FUM
// method. Names are looked up in FUM's method table at call time, so a
// method that this build lacks names nothing.
inline constexpr std::array<std::string_view, 45> kNestedMethodNames = {
    "OPEN",       "CLOSE",     "CLOSEALL", "EXISTS",     "REMOVE",      "SIZE",     "GETPOS",     "SETPOS",
    "REWIND",     "TOEND",     "JUMP",     "JUMPCHUNK",  "SWITCHMODE",  "READ",     "WRITE",      "FREAD",
    "FWRITE",     "DREAD",     "DWRITE",   "LDREAD",     "LDWRITE",     "AREAD",    "AWRITE",     "READROWBIN",
    "READRECORD", "WRITERECORD", "CREAD",  "LINEROW",    "LISTSEP",     "LREAD",    "LWRITE",     "READARRAY",
    "READROW",    "READTOKEN", "TREAD",    "TWRITE",     "ASCII",       "SYNTAX",   "ALTSPELL",   "LISTALL",
    "SIGMAWIN",   "SIGMADOS",  "WAV",      "WKSBLOCK",   "MATHEMATICA"};

// The state index: the number by which a high-level method names a setting,
// and the order in which the settings are saved and put back.
inline constexpr std::array<std::string_view, 10> kSettingNames = {
    "NEWACTIONS", "ERROR", "SYSERR", "HFILE", "NBYTES", "BYTEORDER", "SIGNED", "SKIP", "NLINEMODE", "LISTSEP"};

namespace detail {
consteval int IndexIn(const auto& table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i] == name) return static_cast<int>(i);
  throw "not in the table";  // a compile-time error
}
}  // namespace detail

// Indexes by name, checked when compiled: MethodIndex("SETPOS") is 7.
consteval int MethodIndex(std::string_view name) { return detail::IndexIn(kNestedMethodNames, name); }
consteval int SettingIndex(std::string_view name) { return detail::IndexIn(kSettingNames, name); }

// One argument of a nested call: an integer goes into the callee's slot as
// an XoInt, a real number as an XoReal, a text as an XoString.
struct NestedArgument {
  enum class Kind : char { kInteger = 'i', kReal = 'r', kText = 't' };
  NestedArgument(int32_t v) : kind(Kind::kInteger), integer(v) {}
  NestedArgument(double v) : kind(Kind::kReal), real(v) {}
  NestedArgument(const char* t) : kind(Kind::kText), text(t) {}

  Kind kind;
  int32_t integer = 0;
  double real = 0.0;
  const char* text = nullptr;
};

// The argument lists a nested call may have, by kind in slot order.
inline constexpr std::string_view kNestedForms[] = {"",   "i",    "ii",    "iii", "r",   "ri",   "rii", "t",
                                                    "tt", "ti",   "tii",   "tiii", "tiiii", "tit", "titi"};

template <typename T>
consteval char NestedKind() {
  if constexpr (std::is_same_v<T, int32_t>) return 'i';
  else if constexpr (std::is_same_v<T, double>) return 'r';
  else if constexpr (std::is_convertible_v<T, const char*>) return 't';
  else return '?';
}

template <typename... A>
consteval bool IsNestedForm() {
  const char form[] = {NestedKind<std::decay_t<A>>()..., '\0'};
  for (std::string_view f : kNestedForms)
    if (f == std::string_view(form, sizeof...(A))) return true;
  return false;
}

class XoHighLev : public XoFUMIO {
  KFIO_DECLARE_DYNAMIC(XoHighLev, XoFUMIO)
 public:
  using XoFUMIO::XoFUMIO;

  static constexpr int kSettingCount = static_cast<int>(kSettingNames.size());

  // Saves the settings and sets the nested-call flag, then checks the
  // method's own arguments; a failure there undoes both, since AfterRun
  // will not run.
  int ParseArguments(char* arguments, XoDLL& module) final;
  // Puts the settings back (NEWACTIONS first; Error and SysErr keep what
  // the nested calls left) and clears the nested-call flag.
  bool AfterRun(XoDLL& module) override;

  // A setting by state index: the property's numeric read and assignment
  // (limited settings check the value in the new error mode). The missing
  // value, or status 1, for an index that names none.
  static double GetSetting(int index);
  static int SetSetting(int index, double value);
  // The same as text: the decimal form of the number; a text assigned is
  // evaluated by the host as a method's number argument is.
  static std::string GetSettingText(int index);
  static int SetSettingText(int index, const char* text);

  // Runs the method of the method index with `arguments` in its slots 0, 1,
  // ...; the callee's status, and its result in *result. Every other slot
  // of the callee is marked not given, so no value of an earlier script
  // call is taken for an argument. An index that names no method of FUM:
  // Error err::kNoNestedMethod and that status, in both error modes.
  template <typename... A>
  static int CallNested(XoDLL& module, int index, double* result, A... arguments) {
    static_assert(IsNestedForm<A...>(), "not an argument list of a nested call");
    const NestedArgument list[sizeof...(A) + 1] = {NestedArgument(arguments)..., NestedArgument(0)};
    return RunNested(module, index, result, list, static_cast<int>(sizeof...(A)));
  }

 protected:
  // The method's own argument checks, run after the settings are saved.
  virtual int CheckArguments() { return 0; }

 private:
  static int RunNested(XoDLL& module, int index, double* result, const NestedArgument* arguments, int count);
  // Frees the saved settings and clears the nested-call flag.
  void EndNesting();

  std::unique_ptr<double[]> saved_;
};

}  // namespace kfio
