// The high-level base: nested calls and their argument slots, the settings saved and put back, the nested-call flag.
#include "fum/high_level.h"

#include "fum/errors.h"
#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

// A high-level method whose work each test gives; with `needsName` its own
// check wants slot 0, as a method with a required text argument does.
class XoProbe : public XoHighLev {
 public:
  XoProbe() : XoHighLev("(name$)"), name_(AddArgument<XoString>()) {}
  std::function<int(XoDLL&)> body;
  bool needsName = false;

 protected:
  int CheckArguments() override { return needsName && !Given(name_) ? Fail(err::kMissingTextArgument) : 0; }
  int Execute(double* /*result*/, XoDLL& module) override { return body ? body(module) : 0; }

 private:
  int name_;
};

class HighLevel : public FumTest {
 public:
  Outcome Probe(std::function<int(XoDLL&)> body, std::string args = "") {
    host.Raw(nullptr, nullptr, nullptr, 30);  // refresh the host link
    probe.body = std::move(body);
    double result = -99;
    const int s = probe.Invoke(args.data(), &result, TheFum());
    return {s, result, TheFum().error.Int(), TheFum().sysErr.Int()};
  }
  // The settings a script sees, by state index.
  std::vector<double> Settings() {
    std::vector<double> values;
    for (std::string_view name : kSettingNames) values.push_back(Number(std::string(name).c_str()));
    return values;
  }
  void SetSettings(const std::vector<double>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) host.SetNumber(std::string(kSettingNames[i]), values[i]);
  }

  XoProbe probe;
};

template <typename... A>
int Nested(XoDLL& m, const char* name, double* r, A... args) {
  for (std::size_t i = 0; i < kNestedMethodNames.size(); ++i)
    if (kNestedMethodNames[i] == name) return XoHighLev::CallNested(m, static_cast<int>(i), r, args...);
  ADD_FAILURE() << name;
  return -1;
}

TEST_F(HighLevel, SettingsComeBackAndErrorKeepsTheNestedCode) {
  for (bool newMode : {false, true}) {
    SCOPED_TRACE(newMode ? "new mode" : "default mode");
    Fresh();
    const int a = OpenFile(MakeFile("a.bin", "0123456789"));
    const int b = OpenFile(MakeFile("b.bin", "abcdefghij"));
    Invoke("SETPOS", "3");
    const std::vector<double> before = {newMode ? 1.0 : 0.0, 0, 0, double(b), 2, 1, 1, 5, 1, 59};
    SetSettings(before);
    int opened = 0;
    const Outcome o = Probe([&](XoDLL& m) {
      double r = 0;
      EXPECT_TRUE(TheFum().nestedCall);
      EXPECT_EQ(Nested(m, "OPEN", &r, Path("c.bin").c_str(), 2), 0);
      opened = static_cast<int>(r);
      for (auto [index, value] : {std::pair{SettingIndex("NBYTES"), 4.0}, {SettingIndex("BYTEORDER"), 2.0},
                                  {SettingIndex("SIGNED"), 0.0}, {SettingIndex("SKIP"), 0.0},
                                  {SettingIndex("NLINEMODE"), 2.0}, {SettingIndex("LISTSEP"), 9.0}})
        EXPECT_EQ(XoHighLev::SetSetting(index, value), 0);
      EXPECT_EQ(Nested(m, "JUMP", &r, 4, a), 0);  // a becomes current
      EXPECT_EQ(Nested(m, "CLOSE", &r, opened), 0);
      return Nested(m, "SETPOS", &r, 0, 999);  // no such handle
    });
    ExpectOutcome(o, newMode ? Expect{14, 0, FromArgument(14)} : Expect{1156, 9, 2});
    EXPECT_FALSE(TheFum().nestedCall);
    std::vector<double> expected = before;
    expected[1] = newMode ? 14 : 1156;
    expected[2] = newMode ? 0 : 9;
    EXPECT_EQ(Settings(), expected);
    // b is current again at its own position; a moved; c is gone.
    EXPECT_EQ(Invoke("GETPOS", "").result, 3);
    EXPECT_EQ(Invoke("GETPOS", std::to_string(a)).result, 4);
    EXPECT_EQ(Invoke("CLOSE", std::to_string(opened)).status, newMode ? 270 : 2);
  }
}

TEST_F(HighLevel, RestoreOrderAndChecks) {
  const double miss = kMissingValue;
  const struct {
    const char* label;
    bool newMode;
    bool open;            // a file is open and current before the call
    double scriptNBytes;  // set in the default mode, so unchecked
    std::function<int(XoDLL&)> body;
    Expect outcome;
    double newActions, nBytes, hFile;  // hFile 1: the file opened
  } cases[] = {
      // NEWACTIONS first: nBytes 5 then goes back unchecked.
      {"nested new mode", false, true, 5,
       [](XoDLL&) { return XoHighLev::SetSetting(0, 1) + XoHighLev::SetSetting(SettingIndex("NBYTES"), 2); },
       {0, 0, 0, miss}, 0, 5, 1},
      // A saved value that fails its check: the present value stays, Error has the check's code.
      {"saved nBytes refused", true, true, 5, [](XoDLL&) { return XoHighLev::SetSetting(SettingIndex("NBYTES"), 4); },
       {12, 0, 0, miss}, 1, 4, 1},
      {"current file closed", true, true, 1, [](XoDLL& m) { double r; return Nested(m, "CLOSE", &r); },
       {14, 0, 0, miss}, 1, 1, -1},
      {"current file closed", false, true, 1, [](XoDLL& m) { double r; return Nested(m, "CLOSE", &r); },
       {0, 0, 0, miss}, 0, 1, 1},
      {"no current file", true, false, 1, [](XoDLL&) { return 0; }, {13, 0, 0, miss}, 1, 1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.label) + (c.newMode ? " (new mode)" : ""));
    Fresh();
    const int h = c.open ? OpenFile(MakeFile("a.bin", "0123")) : -1;
    host.SetNumber("NBYTES", c.scriptNBytes);
    NewMode(c.newMode);
    ExpectOutcome(Probe(c.body), c.outcome);
    EXPECT_EQ(Number("NEWACTIONS"), c.newActions);
    EXPECT_EQ(Number("NBYTES"), c.nBytes);
    EXPECT_EQ(Number("HFILE"), c.hFile == 1 ? h : c.hFile);
  }
}

TEST_F(HighLevel, EveryArgumentFormFillsItsSlots) {
  using Slots = std::vector<std::string>;  // per slot of AREAD: "-" when not given
  const struct {
    const char* form;
    std::function<int(XoDLL&, double*)> call;
    Slots slots;
  } cases[] = {
      {"none", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r); }, {"-", "-", "-", "-", "-"}},
      {"i", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, 7); }, {"XoInt 7", "-", "-", "-", "-"}},
      {"ii", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, 7, -8); }, {"XoInt 7", "XoInt -8", "-", "-", "-"}},
      {"iii", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, 1, 2, 3); },
       {"XoInt 1", "XoInt 2", "XoInt 3", "-", "-"}},
      {"r", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, 2.5); }, {"XoReal 2.5", "-", "-", "-", "-"}},
      {"ri", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, 2.5, 4); },
       {"XoReal 2.5", "XoInt 4", "-", "-", "-"}},
      {"rii", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, -0.5, 4, 5); },
       {"XoReal -0.5", "XoInt 4", "XoInt 5", "-", "-"}},
      {"t", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d"); }, {"XoString d", "-", "-", "-", "-"}},
      {"tt", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", "e"); },
       {"XoString d", "XoString e", "-", "-", "-"}},
      {"ti", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", 1); }, {"XoString d", "XoInt 1", "-", "-", "-"}},
      {"tii", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", 1, 2); },
       {"XoString d", "XoInt 1", "XoInt 2", "-", "-"}},
      {"tiii", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", 1, 2, 3); },
       {"XoString d", "XoInt 1", "XoInt 2", "XoInt 3", "-"}},
      {"tiiii", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", 1, 2, 3, 4); },
       {"XoString d", "XoInt 1", "XoInt 2", "XoInt 3", "XoInt 4"}},
      {"tit", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", 1, "e"); },
       {"XoString d", "XoInt 1", "XoString e", "-", "-"}},
      {"titi", [](XoDLL& m, double* r) { return Nested(m, "AREAD", r, "d", 1, "e", 2); },
       {"XoString d", "XoInt 1", "XoString e", "XoInt 2", "-"}},
  };
  XoMethod& aread = TheFum().aRead;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.form);
    for (int i = 0; i < aread.ArgumentCount(); ++i) aread.Argument(i)->SetGiven(true);
    double result = -99;
    Probe([&](XoDLL& m) { return c.call(m, &result); });
    EXPECT_EQ(result, kMissingValue);  // no file to read from
    Slots slots;
    for (int i = 0; i < aread.ArgumentCount(); ++i) {
      const XoProperty* a = aread.Argument(i);
      slots.push_back(!a->IsGiven() ? "-"
                      : a->GetText() ? std::string(a->ClassName()) + " " + a->GetText()
                                     : std::string(a->ClassName()) + " " + host.FormatNumber(a->Value()));
    }
    EXPECT_EQ(slots, c.slots);
  }
}

TEST_F(HighLevel, MethodIndexAndNamesWithoutAMethod) {
  // By index, as the callers name them; LISTSEP is the method, not the property.
  const int h = OpenFile(MakeFile("a.bin", std::string("\x01\x02\x03\x04", 4)));
  std::vector<double> results;
  const Outcome o = Probe([&](XoDLL& m) {
    double r = 0;
    int s = 0;
    s |= XoHighLev::CallNested(m, MethodIndex("SETPOS"), &r, 1);
    s |= XoHighLev::CallNested(m, MethodIndex("READ"), &r, 2);
    results.push_back(r);
    s |= XoHighLev::CallNested(m, MethodIndex("GETPOS"), &r, h);
    results.push_back(r);
    s |= XoHighLev::CallNested(m, MethodIndex("LISTSEP"), &r, "\";\"");
    results.push_back(XoHighLev::GetSetting(SettingIndex("LISTSEP")));
    return s;
  });
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(results, (std::vector<double>{0x0302, 3, ';'}));
  for (bool newMode : {false, true}) {
    NewMode(newMode);
    for (int index : {-1, int(kNestedMethodNames.size())}) {
      double r = 0;
      ExpectOutcome(Probe([&](XoDLL& m) { return XoHighLev::CallNested(m, index, &r); }),
                    {262, 0, 262, kMissingValue});
      EXPECT_EQ(r, kMissingValue);
    }
  }
}

// A nested Read(1) reads the current file, though a script's Read(4, a) left
// hFile given in Read's slot 1.
TEST_F(HighLevel, ANestedCallIgnoresSlotsAScriptCallGave) {
  for (bool newMode : {false, true}) {
    SCOPED_TRACE(newMode ? "new mode" : "default mode");
    Fresh();
    const int a = OpenFile(MakeFile("a.bin", "\x01\x02\x03\x04\x05"));
    const int b = OpenFile(MakeFile("b.bin", "\x10\x20"));
    NewMode(newMode);
    double r = 0;
    EXPECT_EQ(host.Call("READ", "4," + std::to_string(a), r), 1u);
    host.SetNumber("HFILE", b);
    EXPECT_EQ(Probe([&](XoDLL& m) { return Nested(m, "READ", &r, 1); }).status, 0);
    EXPECT_EQ(r, 0x10);
    EXPECT_FALSE(TheFum().read.Argument(1)->IsGiven());
    EXPECT_EQ(Invoke("GETPOS", std::to_string(a)).result, 4);
  }
}

// A high-level method whose own check fails after the settings are saved
// clears the nested-call flag: the next call still parses its arguments.
TEST_F(HighLevel, AFailedCheckClearsTheFlag) {
  probe.needsName = true;
  for (bool newMode : {false, true}) {
    SCOPED_TRACE(newMode ? "new mode" : "default mode");
    Fresh();
    OpenFile(MakeFile("a.bin", "\x01\x02\x03\x04"));
    NewMode(newMode);
    double r = 0;
    host.Call("READ", "1", r);
    ExpectOutcome(Probe(nullptr, ""), newMode ? Expect{10, 0, 10, -99} : Expect{1024, 0, 2, -99});
    EXPECT_FALSE(TheFum().nestedCall);
    EXPECT_EQ(host.Call("READ", "2", r), 1u);
    EXPECT_EQ(r, 0x0302);
  }
}

TEST_F(HighLevel, SettingsByIndexAndAsText) {
  const std::vector<double> values = {0, 7, 8, -1, 4, 2, 1, 6, 2, 59};
  SetSettings(values);
  std::vector<double> read;
  for (int i = 0; i < XoHighLev::kSettingCount; ++i) read.push_back(XoHighLev::GetSetting(i));
  EXPECT_EQ(read, values);
  EXPECT_EQ(XoHighLev::GetSettingText(SettingIndex("LISTSEP")), "59");
  EXPECT_EQ(XoHighLev::GetSetting(XoHighLev::kSettingCount), kMissingValue);

  host.Raw(nullptr, nullptr, nullptr, 30);  // the host evaluates the text
  EXPECT_EQ(XoHighLev::SetSettingText(SettingIndex("NBYTES"), "2*4"), 0);
  EXPECT_EQ(Number("NBYTES"), 8);
  NewMode(true);
  EXPECT_EQ(XoHighLev::SetSettingText(SettingIndex("NBYTES"), "5"), 12);
  EXPECT_EQ(XoHighLev::SetSetting(SettingIndex("SKIP"), -3.9), 0);
  EXPECT_EQ(Number("NBYTES"), 8);
  EXPECT_EQ(Number("SKIP"), -3);
}

}  // namespace
}  // namespace kfio::testing
