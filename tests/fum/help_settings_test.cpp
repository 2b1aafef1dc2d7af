// Help lines, the table of open files, the list separator, the settings and
// the reset sequence.
#include "fum_fixture.h"

namespace kfio::testing {
namespace {

using Lines = std::vector<std::string>;

TEST_F(FumTest, SyntaxLines) {
  host.ClearOutput();
  Invoke("SYNTAX", "open");
  EXPECT_EQ(host.output, Lines{"fum.open([filename$][,mode])"});
  host.ClearOutput();
  Invoke("SYNTAX", "ListSep");
  EXPECT_EQ(host.output,
            Lines{"fum.ListSep([\"char\"])\r\nNote: Lack of an argument will reset list seperator to \",\"."});
  host.ClearOutput();
  Invoke("SYNTAX", "reset");
  EXPECT_EQ(host.output, Lines{"fum.reset"});
  host.ClearOutput();
  Invoke("SYNTAX", "size");
  EXPECT_EQ(host.output, Lines{"fum.size([[hFile][,filename$]])\r\nNote: only one argument-- hFile OR filename$."});

  host.ClearOutput();
  EXPECT_EQ(Invoke("SYNTAX", "").result, 0);
  ASSERT_FALSE(host.output.empty());
  EXPECT_EQ(host.output[0], "Methods available in FUM: ");
  const Lines names(host.output.begin() + 1, host.output.end());
  const Lines expected = {
      "RESET", "LISTSEP", "OPEN", "CLOSE", "CLOSEALL", "CLOSEALLFILES", "EXISTS", "EXIST",
      "REMOVE", "DELETE", "SIZE", "GETPOS", "SETPOS", "REWIND", "TOSTART", "TOBEGIN",
      "TOBEGINNING", "TOEND", "FFORWARD", "FASTFORWARD", "JUMP", "JUMPCHUNK", "JUMPCHUNKS",
      "SWITCHMODE", "READ", "INTEGERREAD", "INTREAD", "WRITE", "INTEGERWRITE", "INTWRITE", "FREAD",
      "FLOATREAD", "FWRITE", "FLOATWRITE", "DREAD", "DOUBLEREAD", "DWRITE", "DOUBLEWRITE",
      "LDREAD", "LONGDOUBLEREAD", "LDOUBLEREAD", "LDWRITE", "LONGDOUBLEWRITE", "LDOUBLEWRITE",
      "AREAD", "ARRAYREAD", "AWRITE", "ARRAYWRITE", "SYNTAX", "ALTERNATESPELLINGS",
      "ALTERNATESPELLING", "ALTSPELLINGS", "ALTSPELLING", "ALTSPELL", "LISTALL", "LISTALLFILES"};
  EXPECT_EQ(names, expected);
}

TEST_F(FumTest, AlternateSpellings) {
  struct Case {
    const char* name;
    Lines lines;
  } cases[] = {
      {"tostart", {"REWIND", "TOSTART", "TOBEGIN", "TOBEGINNING"}},
      {"nbyte", {"NBYTES", "NBYTE"}},
      {"ListSep", {"LISTSEP"}},
      {"new", {"NEWACTIONS", "NEWACTION", "NEW"}},
      {"altspell", {"ALTERNATESPELLINGS", "ALTERNATESPELLING", "ALTSPELLINGS", "ALTSPELLING", "ALTSPELL"}},
      {"name", {"FILENAME", "NAME"}},
      {"zzz", {}},
  };
  for (const Case& c : cases) {
    host.ClearOutput();
    EXPECT_EQ(Invoke("ALTSPELL", c.name).result, 0) << c.name;
    EXPECT_EQ(host.output, c.lines) << c.name;
  }
  host.ClearOutput();
  Invoke("ALTERNATESPELLINGS", "");
  const Lines props = {"Properties available in FUM: ", "NEWACTIONS", "NEWACTION", "NEW", "FILENAME",
                       "NAME", "WKSNAME", "WORKSHEETNAME", "MODE", "OPENMODE", "HFILE", "NBYTES",
                       "NBYTE", "BYTEORDER", "SIGNED", "SKIP", "NLINEMODE", "NLINESMODE", "LISTSEP",
                       "ERROR", "SYSERR"};
  EXPECT_EQ(host.output, props);
}

TEST_F(FumTest, ListAllLinesByteForByte) {
  host.ClearOutput();
  EXPECT_EQ(Invoke("LISTALL", "").result, 0);
  EXPECT_EQ(host.output, Lines{"No open files."});

  const std::string a = MakeFile("first.dat", "a");
  const std::string b = MakeFile("second.dat", "b");
  const int ha = OpenFile(a, 0);
  const int hb = OpenFile(b, 1);
  auto number = [](int h) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%6d  ", h);
    return std::string(buf);
  };
  struct Case {
    const char* args;
    Lines lines;
  } cases[] = {
      {"", {" hFile  Name", "", number(ha) + "first.dat", number(hb) + "second.dat"}},
      {"M,P", {" hFile  Mode   Path", "", number(ha) + "read   " + a, number(hb) + "write  " + b}},
      {"mode", {" hFile  Mode   Name", "", number(ha) + "read   first.dat", number(hb) + "write  second.dat"}},
      {"x,path", {" hFile  Path", "", number(ha) + a, number(hb) + b}},
  };
  for (const Case& c : cases) {
    host.ClearOutput();
    EXPECT_EQ(Invoke("LISTALLFILES", c.args).result, 2) << c.args;
    EXPECT_EQ(host.output, c.lines) << c.args;
  }
}

TEST_F(FumTest, ListSepMethod) {
  struct Case {
    bool newMode;
    const char* args;
    int listSep;
    int status;
  } cases[] = {
      {false, ";", 59, 0},       {false, "\";\"", 59, 0},   {false, "", 44, 0},
      {false, "\",\"", 44, 0},   {false, "\"\"", 0, 0},     {false, "\xE9", -23, 0},
      {true, "\xE9", 44, 12},    {true, "\"\t\"", 9, 0},    {false, "\t", 44, 0},
  };
  for (const Case& c : cases) {
    host.SetNumber("LISTSEP", 44);
    NewMode(c.newMode);
    const Outcome o = Invoke("LISTSEP", c.args);
    EXPECT_EQ(o.status, c.status) << c.args;
    EXPECT_EQ(o.result, kMissingValue) << c.args;
    EXPECT_EQ(Number("LISTSEP"), c.listSep) << c.args;
    NewMode(false);
  }
}

TEST_F(FumTest, CheckedSettings) {
  struct Case {
    bool newMode;
    const char* name;
    double value;
    uint32_t entryStatus;
    double stored;
    int error;
  } cases[] = {
      {false, "nBytes", 5, 1, 5, 0},       {true, "nBytes", 5, 2, 1, 12},
      {true, "nBytes", 8, 1, 8, 0},        {true, "ListSep", 256, 2, 44, 12},
      {true, "ListSep", 255, 1, 255, 0},   {false, "ByteOrder", 7, 1, 7, 0},
      {true, "Signed", 2, 2, 0, 12},       {false, "nBytes", 4.9, 1, 4, 0},
      {false, "nLineMode", -0.5, 1, 0, 0}, {true, "Mode", 3, 2, 0, 12},
      {true, "nLinesMode", 2, 1, 2, 0},    {false, "Skip", -4, 1, -4, 0},
  };
  for (const Case& c : cases) {
    double r = 0;
    host.Call("RESET", "", r);
    NewMode(c.newMode);
    TheFum().error.Store(0);
    EXPECT_EQ(host.SetNumber(c.name, c.value), c.entryStatus) << c.name << "=" << c.value;
    EXPECT_EQ(Number(c.name), c.stored) << c.name << "=" << c.value;
    EXPECT_EQ(TheFum().error.Int(), c.error) << c.name << "=" << c.value;
    NewMode(false);
  }
  // Switching to the new mode does not check what was stored before.
  host.SetNumber("nBytes", 5);
  NewMode(true);
  EXPECT_EQ(Number("NBYTE"), 5);
}

TEST_F(FumTest, HFileAssignmentByMode) {
  EXPECT_EQ(host.SetNumber("HFILE", 7), 1u);  // default mode: stored unchecked
  EXPECT_EQ(Number("HFILE"), 7);
  NewMode(true);
  EXPECT_EQ(host.SetNumber("HFILE", 7), 2u);
  EXPECT_EQ(TheFum().error.Int(), 14);
  const int h = OpenFile(MakeFile("h", "x"), 0);
  host.SetNumber("HFILE", -1);
  EXPECT_EQ(host.SetNumber("HFILE", h), 1u);
  EXPECT_EQ(TheFum().hFile.currentEntry, TheFum().files.FindByHandle(h));
}

TEST_F(FumTest, ResetKeepsFilesOpen) {
  const int h = OpenFile(MakeFile("r", "x"), 0);
  host.SetNumber("NEW", 1);
  host.SetNumber("NBYTES", 4);
  host.SetNumber("LISTSEP", 59);
  host.SetNumber("SKIP", 3);
  host.SetString("FILENAME", "zzz");
  host.SetNumber("OPENMODE", 2);
  double r = 5;
  EXPECT_EQ(host.Call("reset", "", r), 1u);
  EXPECT_EQ(r, 0);
  const std::pair<const char*, double> expected[] = {
      {"NEWACTIONS", 0}, {"HFILE", -1}, {"NBYTES", 1}, {"BYTEORDER", 0}, {"SIGNED", 0}, {"SKIP", 0},
      {"NLINEMODE", 0},  {"LISTSEP", 44}, {"ERROR", 0}, {"SYSERR", 0},   {"MODE", 0}};
  for (auto [name, value] : expected) EXPECT_EQ(Number(name), value) << name;
  std::string name;
  host.GetString("FILENAME", name);
  EXPECT_EQ(name, "");
  EXPECT_NE(TheFum().files.FindByHandle(h), nullptr);
  host.ClearOutput();
  Invoke("LISTALL", "");
  EXPECT_EQ(host.output.size(), 3u);
}

TEST_F(FumTest, MemberListingStartsWithMethodsAndOpensMembers) {
  host.ClearOutput();
  host.List();
  ASSERT_GT(host.output.size(), 10u);
  const Lines head(host.output.begin(), host.output.begin() + 10);
  EXPECT_EQ(head, (Lines{"RESET()", "LISTSEP()", "OPEN()", "  OPEN.MODE\t0", "  OPEN.FILENAME$\t\"\"",
                         "  OPEN.NAME$\t\"\"", "  OPEN.WKSNAME$\t\"\"", "  OPEN.WORKSHEETNAME$\t\"\"",
                         "CLOSE()", "CLOSEALL()"}));
  const Lines tail(host.output.end() - 7, host.output.end());
  EXPECT_EQ(tail, (Lines{"ERROR\t0", "SYSERR\t0", "LISTERR()", "LASTERRID()", "ERROR\t0", "WARNMSG\t0",
                         "MSG$\t\"\""}));
  host.ClearOutput();
  EXPECT_EQ(host.List("open"), 1u);
  EXPECT_EQ(host.output.size(), 5u);
  double mode = 2;
  EXPECT_EQ(host.AccessMethodMember("OPEN", "mode", 17, &mode, nullptr), 1u);
  EXPECT_EQ(Number("OPENMODE"), 2);  // one object behind both names
}

}  // namespace
}  // namespace kfio::testing
