// What the statements of the script language do when they run.
#include <string>
#include <vector>

#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

const char* const kLanguageHelp =
    "Statements, one a line (docs/scripting.md has the details):\n"
    "  x = EXPR                 A$ = TEXT                 fum.NAME = EXPR    fum.NAME$ = TEXT\n"
    "  fum.METHOD(ARGS)         print ITEM, ITEM, ...     list fum[.METHOD]  help [fum.METHOD]\n"
    "  if EXPR / else if EXPR / else / end                while EXPR / end\n"
    "  for VAR = A to B [step S] / end                    break    continue    exit [CODE]\n"
    "  check [on|off|strict]    shift\n"
    "  wks new NAME [COLUMNS]   wks show NAME [ROWS]      wks export NAME FILE.csv|-\n"
    "  dataset new NAME SIZE    dataset show NAME [ROWS]  DATASET[I] = EXPR\n"
    "Expressions: + - * / ^ ( ), == != < <= > >= (texts too), && || !, DATASET[I].\n"
    "Texts: \"...\", A$ to Z$, fum.NAME$, joined by +; %A to %Z, %0 to %9 and %% in them.\n";

}  // namespace

Session::Session(refhost::RefHost& host, std::ostream& out) : host_(host), out_(out) {
  status_ = &host_.variables["status"];
  result_ = &host_.variables["result"];
  args_ = &host_.variables["args"];
  for (const char* name : {"status", "result", "args"}) {
    slots_.emplace(name, static_cast<uint32_t>(variables_.size()));
    variables_.push_back({name, &host_.variables[name]});
  }
}

void Session::SetArguments(std::string name, std::vector<std::string> arguments) {
  scriptName_ = std::move(name);
  arguments_ = std::move(arguments);
  *args_ = static_cast<double>(arguments_.size());
}

void Session::Shift() {
  if (arguments_.empty()) throw ScriptError("shift: no arguments left");
  arguments_.erase(arguments_.begin());
  *args_ = static_cast<double>(arguments_.size());
}

void Session::Print(const std::vector<PrintItem>& items) {
  std::string line;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) line += ' ';
    line += items[i].isText ? Evaluate(items[i].text) : FormatValue(Evaluate(items[i].number));
  }
  out_ << line << '\n';
}

// The module lists every member for a name it does not know, which looks
// like an answer: the listing's own lines (METHOD() at the margin) say
// which names are methods.
bool Session::IsMethod(const std::string& name) {
  const std::string wanted = name.substr(0, name.find('.')) + "()";
  const bool echo = host_.echo;
  const std::size_t before = host_.output.size();
  host_.echo = false;
  host_.List(nullptr);
  host_.echo = echo;
  bool found = false;
  for (std::size_t i = before; i < host_.output.size(); ++i) found = found || SameName(host_.output[i], wanted);
  host_.output.resize(before);
  return found;
}

void Session::List(const std::string& method, const std::string& where) {
  if (!method.empty() && !IsMethod(method)) {
    out_.flush();
    if (warnings != nullptr) *warnings << where << "warning: '" << method << "' is not a method of fum\n";
    return;  // rather than the module's listing of everything
  }
  host_.List(method.empty() ? nullptr : method.c_str());
}

void Session::Help(const std::string& method) {
  if (method.empty()) {
    out_ << kLanguageHelp;
    return;
  }
  if (!IsMethod(method)) throw ScriptError("'" + method + "' is not a method of fum");
  double ignored = 0.0;
  host_.Call("Syntax", method, ignored);
}

void Session::AssignMember(const Member& member, const NumberExpr* number, const TextExpr* text) {
  uint32_t status = 0;
  const bool own = member.ref.names.size() == 1;
  if (text != nullptr) {
    std::string value = Evaluate(*text);
    status = own ? host_.SetString(member.name, value)
                 : host_.AccessMethodMember(member.path, member.name, cmd::kSetString, nullptr, &value);
  } else {
    double value = Evaluate(*number);
    status = own ? host_.SetNumber(member.name, value)
                 : host_.AccessMethodMember(member.path, member.name, cmd::kSetNumber, &value, nullptr);
  }
  if (status == 0) Unknown(member);
  if (status != 1) Failed("assigning " + member.spelling, status);
}

}  // namespace kfio::fumsh
