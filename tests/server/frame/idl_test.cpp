// The IDL the Windows type library is compiled from, read against the member table that the Linux
// frame and the dispatch use: same members in the same vtable order, ids, kinds and by-reference
// parameter types, and the identity of the library, class and enumeration.
#include "server/frame/registration_table.h"
#include "server/member_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace tolm::test {
namespace {

using server::MemberKind;
using server::ParamType;

std::string read_idl() {
    std::ifstream in(std::string(TOLM_SOURCE_DIR) + "/server/frame/win32/TolmServer7.idl");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string idl_type(ParamType type) {
    switch (type) {
        case ParamType::boolean: return "VARIANT_BOOL*";
        case ParamType::integer: return "short*";
        case ParamType::long_integer: return "long*";
        case ParamType::double_real: return "double*";
        case ParamType::string: return "BSTR*";
        case ParamType::object: return "IDispatch**";
        case ParamType::string_array: return "SAFEARRAY(BSTR)*";
        case ParamType::variant: return "VARIANT*";
        case ParamType::none: break;
    }
    return "?";
}

std::string lower_guid(const frame::Guid& guid) {
    std::string text = frame::guid_text(guid).substr(1, 36);
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct IdlParam {
    std::string direction;
    std::string type;
    std::string name;
};

struct IdlMember {
    DispId id;
    std::string kind;
    std::string name;
    std::vector<IdlParam> params;
};

std::vector<IdlMember> interface_members(const std::string& idl) {
    const std::regex member(R"(\[id\((0x[0-9a-fA-F]+)\)(?:,\s*(propput|propget))?\]\s*HRESULT\s+(\w+)\(([^;]*)\);)");
    const std::regex param(R"(\[(in, out|out, retval)\]\s*(\w+(?:\(BSTR\))?\s*\*+)\s*(\w*))");
    std::vector<IdlMember> members;
    for (std::sregex_iterator it(idl.begin(), idl.end(), member), end; it != end; ++it) {
        IdlMember parsed{static_cast<DispId>(std::stoul((*it)[1].str(), nullptr, 16)), (*it)[2].str(), (*it)[3].str(), {}};
        const std::string params = (*it)[4].str();
        for (std::sregex_iterator p(params.begin(), params.end(), param); p != end; ++p) {
            std::string type = (*p)[2].str();
            type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
            parsed.params.push_back({(*p)[1].str(), type, (*p)[3].str()});
        }
        members.push_back(std::move(parsed));
    }
    return members;
}

TEST(InterfaceDefinition, MembersFollowTheMemberTable) {
    const std::vector<IdlMember> members = interface_members(read_idl());
    ASSERT_EQ(members.size(), server::k_members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const server::MemberInfo& expected = server::k_members[i];
        const IdlMember& actual = members[i];
        const std::string where = std::to_string(expected.slot) + " " + std::string(expected.name);
        EXPECT_EQ(actual.name, expected.name) << where;
        EXPECT_EQ(actual.id, expected.id) << where;
        EXPECT_EQ(actual.kind, expected.kind == MemberKind::get   ? "propget"
                               : expected.kind == MemberKind::let ? "propput"
                                                                  : "")
            << where;
        const bool has_result = expected.result != ParamType::none;
        ASSERT_EQ(actual.params.size(), expected.param_count + (has_result ? 1 : 0)) << where;
        for (std::size_t p = 0; p < expected.param_count; ++p) {
            EXPECT_EQ(actual.params[p].direction, "in, out") << where;
            EXPECT_EQ(actual.params[p].type, idl_type(expected.params[p].type)) << where;
            EXPECT_EQ(actual.params[p].name, expected.params[p].name) << where;
        }
        if (has_result) {
            EXPECT_EQ(actual.params.back().direction, "out, retval") << where;
            EXPECT_EQ(actual.params.back().type, idl_type(expected.result)) << where;
        }
    }
}

TEST(InterfaceDefinition, IdentityMatchesTheRegistrationTable) {
    const std::string idl = read_idl();
    auto has = [&](const std::string& text) { return idl.find(text) != std::string::npos; };
    const auto& table = frame::k_registration;
    auto has_guid = [&](const frame::Guid& guid) {
        std::string text = lower_guid(guid);
        std::string upper = frame::guid_text(guid).substr(1, 36);
        return has("uuid(" + text + ")") || has("uuid(" + upper + ")");
    };
    EXPECT_TRUE(has_guid(table.library_id));
    EXPECT_TRUE(has_guid(table.interface_id));
    EXPECT_TRUE(has_guid(table.class_id));
    EXPECT_TRUE(has_guid(table.find_types_id));
    EXPECT_TRUE(has("library TolmServer7"));
    EXPECT_TRUE(has("version(1.0)"));
    EXPECT_TRUE(has("lcid(0x0409)"));
    EXPECT_TRUE(has("helpstring(\"Tolm server7 for Wendal32\")"));
    EXPECT_TRUE(has("helpfile(\"TOLMSERVER6.HLP\")"));
    EXPECT_TRUE(has("importlib(\"stdole2.tlb\")"));
    EXPECT_TRUE(has("coclass clsMapServ"));
    EXPECT_TRUE(has("[default] interface _clsMapServ;"));
    const std::regex attributes(R"(hidden,\s*dual,\s*nonextensible,\s*oleautomation)");
    EXPECT_TRUE(std::regex_search(idl, attributes));
    const std::regex find_types(
        R"(FIND_ADDRESS = 0,\s*FIND_PHONE = 1,\s*FIND_CALLSIGN = 2,\s*FIND_STATE = 3,\s*FIND_COUNTY = 4,\s*FIND_MILEMARKER = 5)");
    EXPECT_TRUE(std::regex_search(idl, find_types));
}

}  // namespace
}  // namespace tolm::test
