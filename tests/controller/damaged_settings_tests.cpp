// A registry file that is damaged (garbage, cut short, absurd lengths, values of the wrong
// type or size, names the Host does not know): the controller opens, every key whose stored
// name is unusable gets its default command, and an intact value before the damage is kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>
#include <unistd.h>

#include "controls/key_assignment_store.h"
#include "controls/key_assignments.h"
#include "controls/midi_map.h"
#include "platform/standin/far_side.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"

namespace {

const std::string kHeader = "korvane-registry 1\nkey =Software\\Quenmoor\\KorvaneHost\n";
// F2 holds "Redo" with its terminator; it comes first, so damage after it leaves it intact.
const std::string kStoredF2 = "value =F2 1 5 5265646f00\n";

std::string Hex(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

std::string F1Line(int type, const std::string& bytes) {
    return "value =F1 " + std::to_string(type) + " " + std::to_string(bytes.size()) + " " +
           Hex(bytes) + "\n";
}

std::string Garbage(size_t length) {
    std::string bytes(length, '\0');
    uint32_t state = 2024;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

struct DamagedSettings {
    const char* name;
    std::string contents;
    bool keepsF2; // the intact F2 value survives
};

const DamagedSettings kDamaged[] = {
    {"Garbage", Garbage(8192), false},
    {"GarbageAfterTheHeader", kHeader + Garbage(2048), false},
    {"CutInsideTheF1Line", kHeader + kStoredF2 + "value =F1 1 19 4d6978", true},
    {"HugeLength", kHeader + kStoredF2 + "value =F1 1 99999999999999999999 00\n", true},
    {"F1NotAString", kHeader + kStoredF2 + F1Line(REG_DWORD, std::string("\x01\0\0\0", 4)), true},
    {"F1LongerThanAnyName", kHeader + kStoredF2 + F1Line(REG_SZ, std::string(200, 'M')), true},
    {"F1WithoutTerminatorFillingTheBuffer",
     kHeader + kStoredF2 + F1Line(REG_SZ, std::string(128, 'M')), true},
    {"F1NamesNoHostCommand", kHeader + kStoredF2 + F1Line(REG_SZ, std::string("Gone\0", 5)), true},
    {"F1Empty", kHeader + kStoredF2 + F1Line(REG_SZ, std::string("\0", 1)), true},
};

void PrintTo(const DamagedSettings& damaged, std::ostream* out) {
    *out << damaged.name;
}

class DamagedSettingsTest : public ControllerFixture,
                            public ::testing::WithParamInterface<DamagedSettings> {
protected:
    DamagedSettingsTest()
        : path(testing::TempDir() + "korvane-damaged-" + std::to_string(::getpid()) + "-" +
               GetParam().name) {
        openOnSetUp = false;
    }
    void TearDown() override {
        ControllerFixture::TearDown();
        StandinRegistryUseMemory();
        std::remove(path.c_str());
        std::remove((path + ".damaged").c_str());
    }

    std::string path;
};

TEST_P(DamagedSettingsTest, GivesTheDefaultsAndKeepsWhatIsIntact) {
    std::ofstream(path, std::ios::binary) << GetParam().contents;
    StandinRegistryUseFile(path.c_str());
    Open();
    ASSERT_NE(theController, nullptr);
    for (const KeyAssignment& row : theKeyAssignments) {
        const bool stored = row.controlId == KeyId::F2 && GetParam().keepsF2;
        EXPECT_EQ(KeyAssignmentStore::CommandFor(row.controlId),
                  CommandIndex(stored ? "Redo" : row.defaultCommand))
            << row.valueName;
    }
    // The defaults are in use: F1 sends its default command.
    ClearRecords();
    Click(Note::F1);
    const int32_t f1 = CommandIndex("Mixer panel toggle");
    EXPECT_EQ(HostCommands(), (std::vector<HostCall>{CommandCall(f1, kCommandKeyDown),
                                                     CommandCall(f1, kCommandKeyUp)}));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsTest, ::testing::ValuesIn(kDamaged), CaseName());

} // namespace
