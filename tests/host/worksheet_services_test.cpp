// Tests of the page and column services as a module calls them: page
// lookup, column count and names, adding, removing, naming, kinds, rows,
// and a row of values handed over through a worksheet handle.
#include <cstring>
#include <string>
#include <vector>

#include "tests/host/service_fixture.h"

namespace refhost::testing {
namespace {

class WorksheetServices : public HostServices {
 protected:
  void SetUp() override {
    page = host.NewPage("Data1", 2);
    h = Call(op::kFindPage, &request, "data1");
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int c = 1; c <= page->ColumnCount(); ++c) names.push_back(page->ColumnName(c));
    return names;
  }
  uint64_t Text(uint32_t opcode, int32_t column, const char* text) {
    kfio::ColumnTextBlock b{column, 0, text};
    return Call(opcode, h, Addr(&b));
  }
  kfio::PageFindBlock request{-1, 1};
  HostPage* page = nullptr;
  uint64_t h = 0;
};

TEST_F(WorksheetServices, FindPageCountAndNameColumns) {
  EXPECT_EQ(h, Addr(page));  // found without regard to case
  EXPECT_EQ(Call(op::kFindPage, &request, "Data2"), 0u);
  EXPECT_EQ(Call(op::kFindPage, Addr(&request), 0), 0u);
  EXPECT_EQ(Call(op::kColumnCount, h, 0), 2u);
  EXPECT_EQ(Call(op::kColumnCount, 0, 0), 0u);

  ASSERT_TRUE(page->RenameColumn(2, std::string(kfio::kColumnNameMax, 'n')));
  const struct { int32_t column; uint64_t answer; std::string name; } cases[] = {
      {1, 0, "A"}, {2, 0, std::string(kfio::kColumnNameMax, 'n')}, {0, 1, ""}, {3, 1, ""}};
  for (const auto& c : cases) {
    char buffer[kfio::kColumnNameMax + 1];
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, &c.column, sizeof c.column);
    EXPECT_EQ(Call(op::kColumnName, h, Addr(buffer)), c.answer) << c.column;
    if (c.answer == 0) {
      EXPECT_EQ(std::string(buffer), c.name);
    }
  }
  EXPECT_EQ(Call(op::kColumnName, h, 0), 1u);
}

TEST_F(WorksheetServices, AddNameTitleAndRemoveColumns) {
  kfio::AddColumnBlock unnamed{0, 0, 0, 0, kfio::kAddedColumnType};
  kfio::AddColumnBlock named{0, 0, Addr("Time"), 0, kfio::kAddedColumnType};
  EXPECT_EQ(Call(op::kAddColumn, h, Addr(&unnamed)), 0u);
  EXPECT_EQ(Call(op::kAddColumn, h, Addr(&named)), 0u);
  EXPECT_EQ(Call(op::kAddColumn, h, Addr(&named)), 1u);  // the name is taken
  EXPECT_EQ(Call(op::kAddColumn, h, 0), 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "C", "Time"}));
  EXPECT_FALSE(page->Column(3)->IsText());  // added columns hold numbers

  const struct { uint32_t opcode; int32_t column; const char* text; uint64_t answer; } texts[] = {
      {op::kSetColumnName, 3, "Left", 0},   {op::kSetColumnName, 4, "left", 1}, {op::kSetColumnName, 5, "Right", 1},
      {op::kSetColumnName, 4, nullptr, 1},  {op::kSetColumnTitle, 2, "Volts", 0}, {op::kSetColumnTitle, 0, "x", 1}};
  for (const auto& t : texts) EXPECT_EQ(Text(t.opcode, t.column, t.text), t.answer) << t.opcode << " " << t.column;
  EXPECT_EQ(page->ColumnTitle(2), "Volts");
  EXPECT_EQ(host.Dataset("Data1_Left"), page->Column(3));

  HostDataset* removed = page->Column(2);
  EXPECT_EQ(Call(op::kRemoveColumn, h, 2), 0u);
  EXPECT_EQ(Call(op::kRemoveColumn, h, 9), 1u);
  EXPECT_EQ(Call(op::kRemoveColumn, h, static_cast<uint64_t>(int64_t{-1})), 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "Left", "Time"}));
  EXPECT_FALSE(removed->IsLive());
  EXPECT_EQ(host.Dataset("Data1_B"), nullptr);
  for (uint32_t opcode : {op::kAddColumn, op::kRemoveColumn, op::kSetColumnName, op::kSetRowCount})
    EXPECT_EQ(Call(opcode, 0, 0), 1u) << opcode;
}

TEST_F(WorksheetServices, KindsQueriesAndRowCount) {
  // `secondIsText`: whether column 2 holds text afterwards; column 1 never does.
  const struct { int32_t selector; int64_t column; int32_t value; uint64_t answer; bool secondIsText; } cases[] = {
      {1, 1, 3, 0, false},  // any other kind is accepted and changes nothing
      {1, 2, kfio::kTextColumnKind, 0, true}, {1, 3, kfio::kTextColumnKind, 1, true},
      {2, 1, kfio::kTextColumnKind, 1, true},
      {1, 2, 0, 0, true},  // a text column stays one
  };
  for (const auto& c : cases) {
    kfio::ColumnBlock b{c.selector, 0, c.column, c.value};
    EXPECT_EQ(Call(op::kSetColumnKind, h, Addr(&b)), c.answer) << c.column;
    EXPECT_FALSE(page->Column(1)->IsText());
    EXPECT_EQ(page->Column(2)->IsText(), c.secondIsText) << c.column;
  }
  for (int32_t column : {1, 2}) {
    kfio::ColumnQueryBlock q{1, column};
    EXPECT_EQ(Call(op::kQueryColumn, h, Addr(&q)), 0u);
    EXPECT_EQ(q.one, column == 2 ? 1 : 0);
  }
  kfio::ColumnQueryBlock none{1, 3};
  EXPECT_EQ(Call(op::kQueryColumn, h, Addr(&none)), 1u);
  EXPECT_EQ(none.one, 1);

  page->Column(1)->SetValue(9, 1.0);
  page->Column(1)->Resize(10);
  EXPECT_EQ(Call(op::kSetRowCount, h, 4), 0u);
  EXPECT_EQ(page->Column(1)->Size(), 4);
  EXPECT_EQ(page->Column(2)->Size(), 4);
  EXPECT_EQ(Call(op::kSetRowCount, h, static_cast<uint64_t>(int64_t{-2})), 1u);
  EXPECT_EQ(page->RowCount(), 4);
}

TEST_F(WorksheetServices, RowsGoBelowTheLongestColumn) {
  uint64_t target = 0, again = 0;
  ASSERT_EQ(Call(op::kWorksheetHandle, "DATA1", &target), 0u);
  ASSERT_EQ(Call(op::kWorksheetHandle, "Data1", &again), 0u);
  EXPECT_EQ(again, target);  // one handle a page
  EXPECT_EQ(Call(op::kWorksheetHandle, "Data2", &again), 1u);
  page->Column(2)->Resize(3);

  const double values[] = {1.5, -2};
  // The handle stands in the context's place; the host is found through it.
  const auto take = [&](kfio::RowBlock b) { return RefHost::Trampoline(target, op::kTakeRow, Addr(&b), 0); };
  // The block's type, the count of values (3: more than columns), the values.
  const struct { uint16_t type, count; const double* values; uint64_t answer; } rows[] = {
      {kfio::kRowBlockType, 2, values, 0}, {kfio::kRowBlockType, 1, values, 0}, {kfio::kRowBlockType, 3, values, 1},
      {0x2035, 1, values, 1}, {kfio::kRowBlockType, 1, nullptr, 1}};
  for (const auto& r : rows) EXPECT_EQ(take({r.type, r.count, 1, 0, {}, r.values}), r.answer) << r.type << r.count;
  EXPECT_EQ(page->Column(1)->Size(), 5);
  EXPECT_EQ(page->Column(2)->Size(), 4);
  EXPECT_EQ(std::vector<double>({page->Column(1)->Value(3), page->Column(2)->Value(3), page->Column(1)->Value(4)}),
            (std::vector<double>{1.5, -2, 1.5}));

  EXPECT_EQ(Call(op::kRunCommand, Addr("doc -uw"), 0), 0u);
  EXPECT_EQ(host.commands, std::vector<std::string>{"doc -uw"});
}

}  // namespace
}  // namespace refhost::testing
