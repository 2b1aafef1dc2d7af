// Argument slots whose objects are replaced (as a nested call does) are read through the slot: scripts that give
// every method its arguments run the same after every slot of every method got a new object.
#include "sweep/scripts.h"

namespace kfio::testing::sweep {
namespace {

TEST_F(ScriptTest, EveryMethodReadsItsArgumentsThroughTheSlot) {
  std::vector<Script> scripts(std::begin(kScripts), std::end(kScripts));
  // What the scripts leave out: the help methods, and the arguments they give no method.
  scripts.push_back({"Rest", {{"OPEN", "{in.bin},0"}, {"JUMPCHUNK", "2,4"}, {"DREAD", "{h1}"}, {"LDREAD", "{h1}"},
                              {"GETPOS", "{h1}"}, {"TOEND", "{h1}"}, {"SYNTAX", "OPEN"}, {"ALTSPELL", "READ"},
                              {"LISTALL", "m,p"}, {"LISTSEP", "\";\""}, {"RESET", ""}}});
  std::vector<Run> before;
  for (const Script& script : scripts) before.push_back(RunScript(script, ScriptFiles(), false));
  // The arguments reach the methods: every call of the last script succeeds, and 8 + 8 + 10 bytes are passed.
  for (const Called& c : before.back().calls) EXPECT_EQ(c.outcome.status, 0) << c.step.method;
  EXPECT_EQ(before.back().calls[4].outcome.result, 26);

  int replaced = 0;
  for (const MemberEntry& e : TheFum().Methods()) {
    auto* method = static_cast<XoMethod*>(e.member);
    for (int i = 0; i < method->ArgumentCount(); ++i, ++replaced) {
      if (method->Argument(i) != nullptr && method->Argument(i)->Kind() == kind::kString)
        method->ReplaceArgument(i, std::make_unique<XoString>());
      else
        method->ReplaceArgument(i, std::make_unique<XoReal>());
    }
  }
  EXPECT_GT(replaced, 40);

  for (std::size_t k = 0; k < scripts.size(); ++k) {
    SCOPED_TRACE(scripts[k].name);
    const Run after = RunScript(scripts[k], ScriptFiles(), false);
    EXPECT_EQ(Transcript(after), Transcript(before[k]));
    EXPECT_EQ(after.printed, before[k].printed);
    EXPECT_EQ(after.host, before[k].host);
    EXPECT_EQ(Digest(after.files), Digest(before[k].files));
  }
}

}  // namespace
}  // namespace kfio::testing::sweep
