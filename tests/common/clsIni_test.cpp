#include "common/clsIni.h"

#include "common/path_text.h"
#include "platform/module_info.h"
#include "platform/runtime_error.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using tolm::clsIni;
using tolm::Variant;
using tolm::test::read_bytes;
using tolm::test::write_bytes;

class ClsIniTest : public ::testing::Test {
protected:
    tolm::test::ScratchFolder m_folder{"clsini"};
    std::string m_file = m_folder.file("TolmServer7.INI");
    clsIni m_ini;

    void SetUp() override { m_ini.strIniName(m_file); }
};

TEST_F(ClsIniTest, QuotedEmptyValueReadsEmptyAndIsNotRewritten) {
    write_bytes(m_file, "[SETUP]\r\nCALLSIGN=\"\"\r\n");
    EXPECT_EQ(m_ini.GetIniString("SETUP", "CALLSIGN", "x"), Variant(""));
    EXPECT_EQ(m_ini.GetIniStringWriteDefault("setup", "callsign", "N0CALL"), Variant(""));
    EXPECT_EQ(read_bytes(m_file), "[SETUP]\r\nCALLSIGN=\"\"\r\n");
}

TEST_F(ClsIniTest, WriteDefaultRepairsMissingKeysOnly) {
    write_bytes(m_file, "[SETUP]\r\nSHADE_COUNTY=$!*%\r\nZOOM=5\r\n");
    // The sentinel itself counts as missing.
    EXPECT_EQ(m_ini.GetIniStringWriteDefault("SETUP", "SHADE_COUNTY", "True"), Variant("True"));
    EXPECT_EQ(m_ini.GetIniStringWriteDefault("SETUP", "ZOOM", "9"), Variant("5"));
    EXPECT_EQ(m_ini.GetIniStringWriteDefault("PATHS", "DATA", ""), Variant(""));
    EXPECT_EQ(read_bytes(m_file), "[SETUP]\r\nSHADE_COUNTY=True\r\nZOOM=5\r\n[PATHS]\r\nDATA=\"\"\r\n");
}

TEST_F(ClsIniTest, DefaultWithBlankAtAnEndIsStoredQuotedAndReadsBackWhole) {
    EXPECT_EQ(m_ini.GetIniStringWriteDefault("SETUP", "LABEL", " Main St "), Variant(" Main St "));
    EXPECT_EQ(read_bytes(m_file), "[SETUP]\r\nLABEL=\" Main St \"\r\n");
    EXPECT_EQ(m_ini.GetIniString("SETUP", "LABEL", ""), Variant(" Main St "));
}

TEST_F(ClsIniTest, SaveWritesTheTextFormOfTheValue) {
    m_ini.SaveIniString("S", "long", Variant(std::int32_t{7}));
    m_ini.SaveIniString("S", "double", Variant(2.5));
    m_ini.SaveIniString("S", "bool", Variant::boolean(false));
    m_ini.SaveIniString("S", "empty", Variant(""));
    m_ini.SaveIniString("S", "nothing", Variant());
    EXPECT_EQ(read_bytes(m_file), "[S]\r\nlong=7\r\ndouble=2.5\r\nbool=False\r\nempty=\"\"\r\nnothing=\"\"\r\n");
    try {
        m_ini.SaveIniString("S", "array", Variant(tolm::StringArray(0, {"a"})));
        FAIL() << "an array has no text form";
    } catch (const tolm::RuntimeError& e) {
        EXPECT_EQ(e.number(), tolm::runtime_errors::type_mismatch);
    }
}

TEST_F(ClsIniTest, LongValuesAreCutTo499Characters) {
    m_ini.SaveIniString("S", "k", Variant(std::string(600, 'x')));
    EXPECT_EQ(m_ini.GetIniString("S", "k", ""), Variant(std::string(499, 'x')));
    EXPECT_EQ(m_ini.GetIniString("S", "missing", std::string(600, 'd')), Variant(std::string(499, 'd')));
}

TEST_F(ClsIniTest, TextIsUtf8InsideAndAnsiInTheFile) {
    m_ini.SaveIniString("Orte", "Stadt", Variant("Zürich"));
    EXPECT_EQ(read_bytes(m_file), "[Orte]\r\nStadt=Z\xFCrich\r\n");
    EXPECT_EQ(m_ini.GetIniString("orte", "STADT", ""), Variant("Zürich"));
}

TEST_F(ClsIniTest, EmptyDefaultFileMakesEveryOperationWithoutFileANoOp) {
    write_bytes(m_file, "[S]\r\na=1\r\n");
    m_ini.strIniName("");
    EXPECT_TRUE(m_ini.GetIniString("S", "a", "dflt").is_empty());
    EXPECT_TRUE(m_ini.GetIniStringWriteDefault("S", "b", "dflt").is_empty());
    EXPECT_FALSE(m_ini.LoadAllKeysInSection("S").allocated);
    m_ini.SaveIniString("S", "c", Variant("3"));
    m_ini.DeleteKey("S", "a");
    m_ini.DeleteSection("S");
    EXPECT_EQ(read_bytes(m_file), "[S]\r\na=1\r\n");
    // A file given for the call is still used.
    EXPECT_EQ(m_ini.GetIniString("S", "a", "dflt", m_file), Variant("1"));
}

TEST_F(ClsIniTest, LoadAllKeysInSectionLeavesColumnZeroEmpty) {
    write_bytes(m_file, "[S]\r\nA=1\r\nB=\"2\"\r\n;C=3\r\n[Empty]\r\n");
    tolm::StringTable table = m_ini.LoadAllKeysInSection("S");
    ASSERT_TRUE(table.allocated);
    ASSERT_EQ(table.upper(), 2);
    EXPECT_EQ(table.at(0, 0), "");
    EXPECT_EQ(table.at(1, 0), "");
    EXPECT_EQ(table.at(0, 1), "A");
    EXPECT_EQ(table.at(1, 1), "1");
    EXPECT_EQ(table.at(0, 2), "B");
    EXPECT_EQ(table.at(1, 2), "2");
    EXPECT_THROW(table.at(2, 0), tolm::RuntimeError);
    EXPECT_THROW(table.at(0, 3), tolm::RuntimeError);
    for (const char* section : {"Empty", "Absent"}) {
        tolm::StringTable none = m_ini.LoadAllKeysInSection(section);
        EXPECT_TRUE(none.allocated);
        EXPECT_EQ(none.upper(), 0) << section;
    }
}

TEST_F(ClsIniTest, DeletesKeysAndSections) {
    m_ini.SaveIniString("A", "x", Variant("1"));
    m_ini.SaveIniString("A", "y", Variant("2"));
    m_ini.SaveIniString("B", "z", Variant("3"));
    m_ini.DeleteKey("a", "X");
    EXPECT_EQ(read_bytes(m_file), "[A]\r\ny=2\r\n[B]\r\nz=3\r\n");
    m_ini.DeleteSection("b");
    EXPECT_EQ(read_bytes(m_file), "[A]\r\ny=2\r\n");
}

TEST_F(ClsIniTest, FailedWritesAreSilent) {
    EXPECT_NO_THROW(m_ini.SaveIniString("A", "x", Variant("1"), m_folder.file("no-folder/x.INI")));
    EXPECT_EQ(m_ini.GetIniString("A", "x", "gone", m_folder.file("no-folder/x.INI")), Variant("gone"));
}

TEST(ClsIniBooleans, IsItTrueUpperCasesItsArgumentAndMatchesExactly) {
    clsIni ini;
    for (std::string text : {"on", "Yes", "1", "true"}) EXPECT_TRUE(ini.IsItTrue(text)) << text;
    for (std::string text : {" TRUE", "-1", "Y", ""}) EXPECT_FALSE(ini.IsItTrue(text)) << text;
    std::string mine = "yes";
    ini.IsItTrue(mine);
    EXPECT_EQ(mine, "YES");
    EXPECT_EQ(ini.TrueOrFalse(-1), "TRUE");
    EXPECT_EQ(ini.TrueOrFalse(1), "TRUE");
    EXPECT_EQ(ini.TrueOrFalse(0), "FALSE");
}

TEST(ClsIniDefaultFile, LiesBesideTheModuleAndBearsItsName) {
    clsIni ini;
    std::string expected = tolm::join_path(tolm::platform::module_folder(), tolm::platform::module_base_name() + ".INI");
    std::remove(expected.c_str());
    ini.SaveIniString("S", "k", Variant("v"));
    EXPECT_EQ(read_bytes(expected), "[S]\r\nk=v\r\n");
    std::remove(expected.c_str());
}

}  // namespace
