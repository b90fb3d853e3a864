#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "shell/crash_catcher.h"
#include "shell/program_state.h"
#include "shell/startup.h"

using namespace shell;

namespace {

// "55 8B EC" -> {0x55, 0x8B, 0xEC}
std::vector<uint8_t> hex(const std::string& text) {
    std::vector<uint8_t> out;
    std::istringstream in(text);
    std::string byte;
    while (in >> byte) out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    return out;
}

std::string to_hex(const uint8_t* data, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", data[i]);
        s += buf;
    }
    return s;
}

int32_t le32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
}

struct LengthCase {
    const char* code;
    int length;
    const char* what;
};

TEST(InstructionLength, MeasuresEachFormOnItsOwn) {
    const LengthCase cases[] = {
        {"55", 1, "push ebp"},
        {"8B EC", 2, "mov ebp,esp"},
        {"83 EC 10", 3, "sub esp,16"},
        {"66 B8 34 12", 4, "mov ax,imm16: prefix turns the 32-bit immediate into 16 bits"},
        {"B8 78 56 34 12", 5, "mov eax,imm32"},
        {"8B 44 24 04", 4, "mov eax,[esp+4]: SIB with 8-bit displacement"},
        {"8B 05 00 10 40 00", 6, "mov eax,[disp32]"},
        {"F7 D8", 2, "neg eax: F7 without /0 has no immediate"},
        {"F7 C0 78 56 34 12", 6, "test eax,imm32"},
        {"66 F7 C0 34 12", 5, "test ax,imm16"},
        {"F6 C1 01", 3, "test cl,imm8"},
        {"F6 D0", 2, "not al"},
        {"8B C1", 2, "mov eax,ecx"},
        {"8B 45 F8", 3, "mov eax,[ebp-8]"},
        {"8B 80 00 01 00 00", 6, "mov eax,[eax+disp32]"},
        {"8B 04 25 00 10 40 00", 7, "SIB without base: 32-bit displacement"},
        {"8B 84 24 00 01 00 00", 7, "SIB with 32-bit displacement"},
        {"81 EC 00 01 00 00", 6, "sub esp,imm32"},
        {"66 81 EC 00 01", 5, "sub sp,imm16"},
        {"C7 45 F8 01 00 00 00", 7, "mov dword [ebp-8],imm32"},
        {"6A 00", 2, "push imm8"},
        {"68 00 10 40 00", 5, "push imm32"},
        {"E8 00 01 00 00", 5, "call rel32"},
        {"66 E8 00 01", 4, "call rel16"},
        {"74 10", 2, "je rel8"},
        {"EB 05", 2, "jmp rel8"},
        {"67 E3 10 00", 4, "address-size prefix gives a relative branch a 16-bit immediate"},
        {"C2 08 00", 3, "ret imm16"},
        {"C8 10 00 00", 4, "enter imm16,imm8"},
        {"9A 00 10 40 00 08 00", 7, "call far ptr16:32"},
        {"64 A1 00 00 00 00", 6, "mov eax,fs:[0]"},
        {"26 66 8B 45 F8", 5, "two prefixes"},
        {"F3 A5", 2, "rep movsd"},
        {"0F 84 00 01 00 00", 6, "je rel32"},
        {"0F B6 45 08", 4, "movzx eax,byte [ebp+8]"},
        {"0F A4 C2 04", 4, "shld edx,eax,imm8"},
        {"0F 31", 2, "rdtsc"},
        {"F0 0F B1 0A", 4, "lock cmpxchg [edx],ecx"},
        {"0F 05 90", 3, "0x0F opcode the second table does not know: one byte more"},
    };
    for (const LengthCase& c : cases) {
        const std::vector<uint8_t> code = hex(c.code);
        EXPECT_EQ(x86_instruction_length(code.data(), code.size()), c.length)
            << c.code << "  " << c.what;
    }
}

TEST(InstructionLength, NeverReadsPastTheGivenBytes) {
    const char* truncated[] = {
        "",             // nothing
        "B8 12 34",     // immediate cut short
        "66 66",        // prefixes only
        "F7",           // the ModRM byte that decides the immediate is missing
        "8B 44",        // SIB missing
        "8B 05 00 00",  // displacement cut short
        "0F",           // escape without its opcode
        "0F 84 00 01",  // rel32 cut short
    };
    for (const char* t : truncated) {
        const std::vector<uint8_t> code = hex(t);
        EXPECT_EQ(x86_instruction_length(code.data(), code.size()), 0) << "'" << t << "'";
    }
    EXPECT_EQ(x86_instruction_length(nullptr, 16), 0);
    // Measured against the given size, not the buffer behind it.
    const std::vector<uint8_t> mov = hex("B8 78 56 34 12");
    EXPECT_EQ(x86_instruction_length(mov.data(), 4), 0);
}

TEST(BranchDisplacement, WrapsIn32BitSpaceAndRefusesWhatAJumpCannotReach) {
    EXPECT_EQ(branch_displacement(0x401005, 0x402000), 0xFFB);
    EXPECT_EQ(branch_displacement(0x50000B, 0x401006), -0xFF005);
    // 4 GiB wrap: from near the bottom to near the top is a short step backwards.
    EXPECT_EQ(branch_displacement(0x1005, 0xFFFFF000), -0x2005);
    EXPECT_EQ(branch_displacement(0x7F0000001005, 0x7F0000002000), 0xFFB);
    EXPECT_EQ(branch_displacement(0x7F0000001005, 0x1000), std::nullopt);
}

constexpr uint64_t kTarget = 0x00401000;
constexpr uint64_t kDetour = 0x00402000;
constexpr uint64_t kTrampoline = 0x00500000;

HookPlan plan(const std::vector<uint8_t>& code, uint64_t target = kTarget,
              uint64_t detour = kDetour, uint64_t trampoline = kTrampoline) {
    return plan_inline_hook(code.data(), code.size(), target, detour, trampoline);
}

TEST(HookPlan, StandardPrologueStealsSixBytes) {
    // push ebp; mov ebp,esp; sub esp,16; push ebx; push esi; push edi
    const HookPlan p = plan(hex("55 8B EC 83 EC 10 53 56 57"));
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.stolen_length, 6u);
    // Jump back: (0x401000 + 6) - (0x500000 + 6 + 5) = -0xFF005.
    EXPECT_EQ(to_hex(p.trampoline.data(), p.trampoline.size()), "55 8B EC 83 EC 10 E9 FB 0F F0 FF");
    // To the replacement: 0x402000 - (0x401000 + 5) = 0xFFB.
    EXPECT_EQ(to_hex(p.patch.data(), p.patch.size()), "E9 FB 0F 00 00");
}

TEST(HookPlan, PatchWrapsAround4GiB) {
    const HookPlan p = plan(hex("55 8B EC 83 EC 10"), 0x1000, 0xFFFFF000, 0x2000);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(to_hex(p.patch.data(), p.patch.size()), "E9 FB DF FF FF");
}

struct RefusalCase {
    const char* code;
    uint64_t target, detour, trampoline;
    HookRefusal refusal;
    const char* what;
};

TEST(HookPlan, RefusesWhatItCannotDivertSafely) {
    const RefusalCase cases[] = {
        {"E9 00 10 00 00 90", kTarget, kDetour, kTrampoline, HookRefusal::AlreadyHooked, "jump"},
        {"E8 00 10 00 00 90", kTarget, kDetour, kTrampoline, HookRefusal::StartsWithCall, "call"},
        {"C3 90 90 90 90 90", kTarget, kDetour, kTrampoline, HookRefusal::StartsWithReturn, "ret"},
        {"B8 01 00 00 00 C3", kTarget, kDetour, kTrampoline, HookRefusal::RoutineTooShort,
         "sixth byte is a return"},
        {"33 C0 C3 CC CC CC CC", kTarget, kDetour, kTrampoline, HookRefusal::RoutineTooShort,
         "return inside the five patched bytes"},
        {"EB 10 CC CC CC CC CC", kTarget, kDetour, kTrampoline, HookRefusal::RoutineTooShort,
         "short jump inside the five patched bytes"},
        {"55 8B EC 83 EC 10", 0, kDetour, kTrampoline, HookRefusal::NullAddress, "no target"},
        {"55 8B EC 83 EC 10", kTarget, 0, kTrampoline, HookRefusal::NullAddress, "no replacement"},
        {"55 8B EC 83 EC 10", kTarget, kDetour, 0, HookRefusal::NullAddress, "no trampoline"},
        {"55 8B EC", kTarget, kDetour, kTrampoline, HookRefusal::CannotMeasure,
         "fewer bytes than the sixth-byte check needs"},
        {"55 8B EC 81 EC 10", kTarget, kDetour, kTrampoline, HookRefusal::CannotMeasure,
         "instruction runs past the given bytes"},
        {"0F 0B 90 90 90 90", kTarget, kDetour, kTrampoline, HookRefusal::UnknownInstruction,
         "ud2 is not in the second table"},
        {"85 C0 74 30 90 90 90", kTarget, kDetour, kTrampoline, HookRefusal::BranchOutOfReach,
         "short branch leaving the stolen bytes"},
        {"90 66 E8 00 10 90 90", kTarget, kDetour, kTrampoline, HookRefusal::BranchOutOfReach,
         "16-bit relative call"},
        {"55 8B EC 83 EC 10", 0x7F0000001000, 0x1000, 0x7F0000100000, HookRefusal::BranchOutOfReach,
         "replacement beyond a 32-bit jump"},
        {"55 8B EC 83 EC 10", 0x7F0000001000, 0x7F0000002000, 0x1000, HookRefusal::BranchOutOfReach,
         "trampoline beyond a 32-bit jump back"},
    };
    for (const RefusalCase& c : cases) {
        const HookPlan p = plan(hex(c.code), c.target, c.detour, c.trampoline);
        EXPECT_EQ(p.refusal, c.refusal) << c.code << "  " << c.what;
        EXPECT_FALSE(p.ok()) << c.what;
        EXPECT_EQ(p.stolen_length, 0u) << c.what;
        EXPECT_TRUE(p.trampoline.empty()) << c.what;
    }
    EXPECT_EQ(plan_inline_hook(nullptr, 6, kTarget, kDetour, kTrampoline).refusal,
              HookRefusal::NullAddress);
}

TEST(HookPlan, RelativeBranchesInTheStolenBytesKeepTheirDestination) {
    // push 0; call 0x401107 (0x401007 + 0x100)
    {
        const HookPlan p = plan(hex("6A 00 E8 00 01 00 00 90"));
        ASSERT_TRUE(p.ok());
        ASSERT_EQ(p.stolen_length, 7u);
        EXPECT_EQ(p.trampoline[2], 0xE8);
        EXPECT_EQ(le32(&p.trampoline[3]), 0x401107 - 0x500007);
        EXPECT_EQ(le32(&p.trampoline[8]), 0x401007 - 0x50000C);  // jump back
    }
    // test eax,eax; je 0x400F08 (0x401008 - 0x100)
    {
        const HookPlan p = plan(hex("85 C0 0F 84 00 FF FF FF 90"));
        ASSERT_TRUE(p.ok());
        ASSERT_EQ(p.stolen_length, 8u);
        EXPECT_EQ(le32(&p.trampoline[4]), 0x400F08 - 0x500008);
    }
    // A branch aimed inside the stolen bytes, or at their end, moves along with them.
    {
        const std::vector<uint8_t> code = hex("85 C0 74 01 90 5D C3");  // je +1 lands at 5
        const HookPlan p = plan(code);
        ASSERT_TRUE(p.ok());
        ASSERT_EQ(p.stolen_length, 5u);
        EXPECT_EQ(to_hex(p.trampoline.data(), 5), to_hex(code.data(), 5));
    }
}

TEST(CrashCatcherState, InstallerCreatesTheLockAndHooksNothing) {
    CrashCatcherState& state = crash_catcher_state();
    // The program-wide objects come first, the lock not yet created.
    shell::init_program_variables();
    EXPECT_FALSE(state.lock.lock_is_created());
    EXPECT_TRUE(state.one_byte_opcode_flags.empty());
    EXPECT_EQ(init_exception_catcher(), 0);
    EXPECT_TRUE(state.lock.lock_is_created());
    state.lock.lock_enter();
    state.lock.lock_leave();
    EXPECT_EQ(state.hook.hook_trampoline(), 0u);
    EXPECT_EQ(state.hook.stolen_length, 0u);

    load_opcode_tables();
    ASSERT_EQ(state.one_byte_opcode_flags.size(), 256u);
    ASSERT_EQ(state.two_byte_opcode_flags.size(), 256u);
    EXPECT_EQ(state.two_byte_opcode_flags[0x84], kTwoByteOpcodeFlags[0x84]);
    // The exit clean-up frees the tables; the lock stays until the process ends.
    shell::on_program_exit();
    EXPECT_TRUE(state.one_byte_opcode_flags.empty());
    EXPECT_TRUE(state.two_byte_opcode_flags.empty());
    EXPECT_TRUE(state.lock.lock_is_created());
}

}  // namespace
