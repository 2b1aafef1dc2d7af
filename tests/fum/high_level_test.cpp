// The high-level base: nested calls and their argument slots, the settings saved and put back, the method index.
#include "fum/high_level.h"

#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

// A high-level method whose work each test gives.
struct XoProbe : XoHighLev {
  XoProbe() : XoHighLev(nullptr) {}
  int Execute(double* /*result*/, XoDLL& module) override { return body(module); }
  std::function<int(XoDLL&)> body;
};

class HighLevel : public FumTest {
 public:
  Outcome Probe(std::function<int(XoDLL&)> body) {
    host.Raw(nullptr, nullptr, nullptr, 30);  // refresh the host link
    probe.body = std::move(body);
    double result = -99;
    const int s = probe.Invoke(nullptr, &result, TheFum());
    return {s, result, TheFum().error.Int(), TheFum().sysErr.Int()};
  }
  // The settings a script sees, in state index order.
  std::vector<double> Settings() {
    std::vector<double> values;
    for (std::string_view name : kSettingNames) values.push_back(Number(std::string(name).c_str()));
    return values;
  }

  XoProbe probe;
};

template <typename... A>
int Nested(XoDLL& m, std::string_view name, double* r, A... args) {
  const auto at = std::find(kNestedMethodNames.begin(), kNestedMethodNames.end(), name);
  return XoHighLev::CallNested(m, static_cast<int>(at - kNestedMethodNames.begin()), r, args...);
}

// A script's Read(4, a) leaves hFile given in Read's slot 1; a nested Read(1) still reads the current file, b.
TEST_F(HighLevel, SettingsAndTheCurrentFileComeBackAndErrorKeepsTheNestedCode) {
  for (bool newMode : {false, true}) {
    SCOPED_TRACE(newMode ? "new mode" : "default mode");
    Fresh();
    const int a = OpenFile(MakeFile("a.bin", "0123456789"));
    const int b = OpenFile(MakeFile("b.bin", "abcdefghij"));
    Invoke("READ", "4," + std::to_string(a));
    Invoke("SETPOS", "3," + std::to_string(b));
    const std::vector<double> before = {newMode ? 1.0 : 0.0, 0, 0, double(b), 2, 1, 1, 5, 1, 59};
    for (std::size_t i = 0; i < before.size(); ++i) host.SetNumber(std::string(kSettingNames[i]), before[i]);
    double opened = 0, r = 0;
    const Outcome o = Probe([&](XoDLL& m) {
      EXPECT_TRUE(TheFum().nestedCall);
      EXPECT_EQ(Nested(m, "READ", &r, 1), 0);
      EXPECT_EQ(r, 'd');
      EXPECT_EQ(Nested(m, "OPEN", &opened, Path("c.bin").c_str(), 2), 0);
      for (auto [index, value] : {std::pair{SettingIndex("NBYTES"), 4.0}, {SettingIndex("BYTEORDER"), 2.0},
                                  {SettingIndex("SIGNED"), 0.0}, {SettingIndex("SKIP"), 0.0},
                                  {SettingIndex("NLINEMODE"), 2.0}})
        EXPECT_EQ(XoHighLev::SetSetting(index, value), 0);
      EXPECT_EQ(Nested(m, "LISTSEP", &r, "\";\""), 0);  // the method, not the property
      EXPECT_EQ(XoHighLev::GetSetting(SettingIndex("LISTSEP")), ';');
      EXPECT_EQ(Nested(m, "JUMP", &r, 4, a), 0);  // a becomes current
      EXPECT_EQ(Nested(m, "CLOSE", &r, int(opened)), 0);
      return Nested(m, "SETPOS", &r, 0, 999);  // no such handle
    });
    ExpectOutcome(o, newMode ? Expect{14, 0, 270} : Expect{1156, 9, 2});
    EXPECT_FALSE(TheFum().nestedCall);
    std::vector<double> expected = before;
    expected[1] = o.error, expected[2] = o.sysErr;
    EXPECT_EQ(Settings(), expected);
    EXPECT_EQ(Invoke("GETPOS", "").result, 4);  // b, current again, after the nested read
    EXPECT_EQ(Invoke("GETPOS", std::to_string(a)).result, 8);
    EXPECT_EQ(Invoke("CLOSE", std::to_string(int(opened))).status, newMode ? 270 : 2);  // c is gone
  }
}

TEST_F(HighLevel, RestoreOrderAndChecks) {
  const auto close = [](XoDLL& m) { double r; return Nested(m, "CLOSE", &r); };
  // open: a.bin is current before the call; scriptNBytes: set in the default mode, so unchecked; then the nested
  // body, Error, and the settings after (hFile 1: a.bin's handle).
  const struct { const char* label; bool newMode, open; double scriptNBytes; std::function<int(XoDLL&)> body;
                 int error; double newActions, nBytes, hFile; } cases[] = {
      // NEWACTIONS first: nBytes 5 then goes back unchecked.
      {"nested new mode", false, true, 5,
       [](XoDLL&) { return XoHighLev::SetSetting(0, 1) + XoHighLev::SetSetting(SettingIndex("NBYTES"), 2); },
       0, 0, 5, 1},
      // A saved value that fails its check: the present value stays, Error has the check's code.
      {"saved nBytes refused", true, true, 5, [](XoDLL&) { return XoHighLev::SetSetting(SettingIndex("NBYTES"), 4); },
       12, 1, 4, 1},
      {"current file closed", true, true, 1, close, 14, 1, 1, -1},
      {"current file closed", false, true, 1, close, 0, 0, 1, 1},
      {"no current file", true, false, 1, [](XoDLL&) { return 0; }, 13, 1, 1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.label) + (c.newMode ? " (new mode)" : ""));
    Fresh();
    const int h = c.open ? OpenFile(MakeFile("a.bin", "0123")) : -1;
    host.SetNumber("NBYTES", c.scriptNBytes);
    NewMode(c.newMode);
    ExpectOutcome(Probe(c.body), {c.error, 0, 0, kMissingValue});
    EXPECT_EQ(Settings()[0], c.newActions);
    EXPECT_EQ(Number("NBYTES"), c.nBytes);
    EXPECT_EQ(Number("HFILE"), c.hFile == 1 ? h : c.hFile);
  }
}

// AREAD's five slots after nested calls with each kind of argument in each place the forms allow, from none to
// all five; "-": not given, though every slot was given before.
template <typename... A>
std::function<int(XoDLL&, double*)> ARead(A... args) {
  return [=](XoDLL& m, double* r) { return Nested(m, "AREAD", r, args...); };
}

TEST_F(HighLevel, EveryArgumentFormFillsItsSlots) {
  const std::pair<std::function<int(XoDLL&, double*)>, const char*> cases[] = {
      {ARead(), "-|-|-|-|-"}, {ARead(7, -8), "XoInt 7|XoInt -8|-|-|-"},
      {ARead(-0.5, 4, 5), "XoReal -0.5|XoInt 4|XoInt 5|-|-"}, {ARead("d", "e"), "XoString d|XoString e|-|-|-"},
      {ARead("d", 1, 2, 3, 4), "XoString d|XoInt 1|XoInt 2|XoInt 3|XoInt 4"},
      {ARead("d", 1, "e", 2), "XoString d|XoInt 1|XoString e|XoInt 2|-"}};
  XoMethod& aread = TheFum().aRead;
  for (const auto& [call, slots] : cases) {
    for (int i = 0; i < aread.ArgumentCount(); ++i) aread.Argument(i)->SetGiven(true);
    double result = -99;
    Probe([&](XoDLL& m) { return call(m, &result); });
    EXPECT_EQ(result, kMissingValue);  // no file to read from
    std::string seen;
    for (int i = 0; i < aread.ArgumentCount(); ++i) {
      const XoProperty* a = aread.Argument(i);
      seen += i > 0 ? "|" : "";
      seen += !a->IsGiven() ? "-"
              : std::string(a->ClassName()) + " " + (a->GetText() ? a->GetText() : host.FormatNumber(a->Value()));
    }
    EXPECT_EQ(seen, slots);
  }
}

}  // namespace
}  // namespace kfio::testing
