// Argument slots whose objects are replaced (as a nested call does) are read
// through the slot: every method works the same after every slot of every
// method got a new object.
#include <tuple>

#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

// One call of a script that uses every method that takes arguments.
using Step = std::tuple<std::string, uint32_t, double, double>;  // method, answer, result, Error

class ArgumentSlots : public FumTest {
 public:
  std::vector<Step> Script() {
    const std::string file = Path("slots.bin");
    const std::pair<const char*, std::string> calls[] = {
        {"OPEN", file + ",1"},        {"WRITE", "258,2"},         {"FWRITE", "1.5"},
        {"DWRITE", "2.5"},            {"AWRITE", "src,1,3,0"},    {"SWITCHMODE", "2"},
        {"SETPOS", "0"},              {"READ", "2"},              {"FREAD", ""},
        {"DREAD", "%h"},               {"JUMP", "-8"},             {"JUMPCHUNK", "2,4"},
        {"REWIND", "%h"},              {"AREAD", "dst,1,6,0"},     {"GETPOS", "%h"},
        {"TOEND", "%h"},               {"SIZE", "%h"},              {"SIZE", "," + file},
        {"EXISTS", file},             {"SYNTAX", "OPEN"},         {"ALTSPELL", "READ"},
        {"LISTALL", "m,p"},           {"LISTSEP", "\";\""},       {"LDREAD", "%h"},
        {"CLOSE", "%h"},               {"REMOVE", file},           {"CLOSEALL", ""},
    };
    std::vector<Step> steps;
    host.ClearOutput();
    std::string handle;
    for (auto [method, args] : calls) {
      if (const auto at = args.find("%h"); at != std::string::npos) args.replace(at, 2, handle);
      double result = -99;
      const uint32_t answer = host.Call(method, args, result);
      if (handle.empty()) handle = std::to_string(static_cast<int>(result));  // from OPEN
      steps.emplace_back(method, answer, result, Number("ERROR"));
    }
    return steps;
  }
};

TEST_F(ArgumentSlots, EveryMethodReadsItsArgumentsThroughTheSlot) {
  refhost::HostDataset* src = host.NewDataset("src");
  src->Resize(3);
  for (int i = 0; i < 3; ++i) src->SetValue(i, i + 1);
  const std::vector<Step> before = Script();
  const std::vector<std::string> printed = host.output;
  // The script does real work: the arguments reach the methods.
  EXPECT_EQ(before[7], (Step{"READ", 1, 258, 0}));
  EXPECT_EQ(before[11], (Step{"JUMPCHUNK", 1, 14, 0}));
  EXPECT_EQ(before[17], (Step{"SIZE", 1, 17, 0}));

  int replaced = 0;
  for (const MemberEntry& e : TheFum().Methods()) {
    auto* method = static_cast<XoMethod*>(e.member);
    for (int i = 0; i < method->ArgumentCount(); ++i) {
      const XoProperty* old = method->Argument(i);
      std::unique_ptr<XoProperty> fresh;
      if (old != nullptr && old->Kind() == kind::kString)
        fresh = std::make_unique<XoString>();
      else
        fresh = std::make_unique<XoReal>();
      method->ReplaceArgument(i, std::move(fresh));
      ++replaced;
    }
  }
  EXPECT_GT(replaced, 40);

  EXPECT_EQ(Script(), before);
  EXPECT_EQ(host.output, printed);
}

}  // namespace
}  // namespace kfio::testing
