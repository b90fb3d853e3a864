#include "shell/crash_catcher.h"

namespace shell {

// clang-format off
constexpr std::array<uint8_t, 256> kOneByteOpcodeFlags = {
    //  x0   x1   x2   x3   x4   x5   x6   x7   x8   x9   xA   xB   xC   xD   xE   xF
        2,   2,   2,   2,   4,  16,   1,   1,   2,   2,   2,   2,   4,  16,   1,  64,  // 0x
        2,   2,   2,   2,   4,  16,   1,   1,   2,   2,   2,   2,   4,  16,   1,   1,  // 1x
        2,   2,   2,   2,   4,  16,  32,   1,   2,   2,   2,   2,   4,  16,  32,   1,  // 2x
        2,   2,   2,   2,   4,  16,  32,   1,   2,   2,   2,   2,   4,  16,  32,   1,  // 3x
        1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,  // 4x
        1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,  // 5x
        1,   1,   2,   2,  32,  32,  32,  32,  16,  18,   4,   6,   1,   1,   1,   1,  // 6x
      132, 132, 132, 132, 132, 132, 132, 132, 132, 132, 132, 132, 132, 132, 132, 132,  // 7x
        6,  18,   6,   6,   2,   2,   2,   2,   2,   2,   2,   2,   2,   2,   2,   2,  // 8x
        1,   1,   1,   1,   1,   1,   1,   1,   1,   1,  24,   1,   1,   1,   1,   1,  // 9x
       16,  16,  16,  16,   1,   1,   1,   1,   4,  16,   1,   1,   1,   1,   1,   1,  // Ax
        4,   4,   4,   4,   4,   4,   4,   4,  16,  16,  16,  16,  16,  16,  16,  16,  // Bx
        6,   6,   8,   1,   2,   2,   6,  18,  12,   1,   8,   1,   1,   4,   1,   1,  // Cx
        2,   2,   2,   2,   4,   4,   1,   1,   2,   2,   2,   2,   2,   2,   2,   2,  // Dx
      132, 132, 132, 132,   4,   4,   4,   4, 144, 144,  24,   4,   1,   1,   1,   1,  // Ex
       32,   1,  32,  32,   1,   1,   6,  18,   1,   1,   1,   1,   1,   1,   2,   2,  // Fx
};
// clang-format on

namespace {

constexpr std::array<uint8_t, 256> make_two_byte_table() {
    std::array<uint8_t, 256> t{};
    auto set = [&t](int from, int to, uint8_t flags) {
        for (int op = from; op <= to; ++op) t[op] = flags;
    };
    set(0x00, 0x03, 2);
    set(0x20, 0x23, 2);
    set(0x40, 0x4F, 2);
    set(0x90, 0x9F, 2);
    set(0xA3, 0xA3, 2);
    set(0xA5, 0xA5, 2);
    set(0xAB, 0xAB, 2);
    set(0xAD, 0xAD, 2);
    set(0xAF, 0xAF, 2);
    set(0xB0, 0xB7, 2);
    set(0xBB, 0xBF, 2);
    set(0xC0, 0xC1, 2);
    set(0x06, 0x06, 1);
    set(0x08, 0x09, 1);
    set(0x30, 0x34, 1);
    set(0xA0, 0xA2, 1);
    set(0xA8, 0xAA, 1);
    set(0xC8, 0xCF, 1);
    set(0x80, 0x8F, 16);
    set(0xA4, 0xA4, 6);
    set(0xAC, 0xAC, 6);
    set(0xBA, 0xBA, 6);
    return t;
}

// What the planner needs to know about one instruction besides its length.
struct Decoded {
    int length = 0;  // 0: not measurable within the given bytes
    bool operand_size_prefix = false;
    bool address_size_prefix = false;
    bool escaped = false;  // opcode is the byte after 0x0F
    uint8_t opcode = 0;
    uint8_t modrm = 0;  // valid when has_modrm
    bool has_modrm = false;
    bool known = true;  // false for a 0x0F opcode the second table does not know
};

Decoded decode(const uint8_t* code, size_t available) {
    Decoded d;
    if (code == nullptr) return d;
    size_t i = 0;
    while (i < available && (kOneByteOpcodeFlags[code[i]] & kOpPrefix)) {
        if (code[i] == 0x66) d.operand_size_prefix = true;
        if (code[i] == 0x67) d.address_size_prefix = true;
        ++i;
    }
    if (i >= available) return d;
    size_t length = i;  // the prefixes
    size_t pos = i;     // the opcode byte being measured
    d.opcode = code[pos];
    unsigned f = kOneByteOpcodeFlags[d.opcode];

    // TEST r/m, imm is /0 of 0xF6/0xF7; the other forms of those opcodes carry no immediate.
    if (d.opcode == 0xF6 || d.opcode == 0xF7) {
        if (pos + 1 >= available) return d;
        if (((code[pos + 1] >> 3) & 7) != 0) f = kOpModRM;
    }
    if (d.operand_size_prefix && (f & kOpImm32)) f = (f & ~kOpImm32) | kOpImm16;
    if (d.address_size_prefix && (f & kOpRelative)) f = (f & ~(kOpImm32 | kOpImm8)) | kOpImm16;
    f &= ~kOpRelative;

    if (f == kOpEscape) {
        length += 1;
        pos += 1;
        if (pos >= available) return d;
        d.escaped = true;
        d.opcode = code[pos];
        f = kTwoByteOpcodeFlags[d.opcode];
        d.known = f != 0;
    }

    if (f & kOpModRM) {
        if (pos + 1 >= available) return d;
        const uint8_t m = code[pos + 1];
        d.modrm = m;
        d.has_modrm = true;
        const int mod = m >> 6;
        const int rm = m & 7;
        if (mod != 3 && rm == 4) {
            if (pos + 2 >= available) return d;
            const uint8_t s = code[pos + 2];
            length += 3;
            if (mod == 1) length += 1;
            if (mod == 2) length += 4;
            if (mod == 0 && (s & 7) == 5) length += 4;
        } else {
            length += 2;
            if (mod == 0 && rm == 5) length += 4;
            if (mod == 1) length += 1;
            if (mod == 2) length += 4;
        }
    } else {
        length += 1;
    }
    if (f & kOpImm32) length += 4;
    if (f & kOpImm8) length += 1;
    if (f & kOpImm16) length += 2;
    if (f == 0) length += 1;

    if (length > available) return d;
    d.length = static_cast<int>(length);
    return d;
}

enum class BranchKind { None, Short, Near32 };

// Relative branches, known by their opcodes: the table marks neither 0xEB nor the 0x0F forms.
BranchKind branch_kind(const Decoded& d) {
    if (d.escaped)
        return (d.opcode >= 0x80 && d.opcode <= 0x8F) ? BranchKind::Near32 : BranchKind::None;
    if ((d.opcode >= 0x70 && d.opcode <= 0x7F) || (d.opcode >= 0xE0 && d.opcode <= 0xE3) ||
        d.opcode == 0xEB)
        return BranchKind::Short;
    if (d.opcode == 0xE8 || d.opcode == 0xE9) return BranchKind::Near32;
    return BranchKind::None;
}

// Execution never falls through to the next byte: returns and unconditional jumps.
bool ends_routine(const Decoded& d) {
    if (d.escaped) return false;
    switch (d.opcode) {
        case 0xC2:
        case 0xC3:
        case 0xCA:
        case 0xCB:  // returns
        case 0xE9:
        case 0xEA:
        case 0xEB:  // jumps
            return true;
        case 0xFF: {  // jmp r/m (/4), jmp far m (/5)
            const int reg = (d.modrm >> 3) & 7;
            return d.has_modrm && (reg == 4 || reg == 5);
        }
        default:
            return false;
    }
}

constexpr uint64_t kFourGiB = uint64_t{1} << 32;

void put_le32(uint8_t* out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t get_le32(const uint8_t* in) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{in[i]} << (8 * i);
    return static_cast<int32_t>(v);
}

}  // namespace

constexpr std::array<uint8_t, 256> kTwoByteOpcodeFlags = make_two_byte_table();

int x86_instruction_length(const uint8_t* code, size_t available) {
    return decode(code, available).length;
}

std::optional<int32_t> branch_displacement(uint64_t source_end, uint64_t destination) {
    if (source_end < kFourGiB && destination < kFourGiB)
        return static_cast<int32_t>(static_cast<uint32_t>(destination - source_end));
    const auto distance = static_cast<int64_t>(destination - source_end);
    if (distance < INT32_MIN || distance > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(distance);
}

HookPlan plan_inline_hook(const uint8_t* target, size_t available, uint64_t target_address,
                          uint64_t detour_address, uint64_t trampoline_address) {
    HookPlan plan;
    auto refuse = [&plan](HookRefusal why) {
        plan = HookPlan{};
        plan.refusal = why;
        return plan;
    };
    constexpr size_t kJumpLength = 5;

    if (target == nullptr || target_address == 0 || detour_address == 0 || trampoline_address == 0)
        return refuse(HookRefusal::NullAddress);
    if (available < 1) return refuse(HookRefusal::CannotMeasure);
    if (target[0] == 0xE9) return refuse(HookRefusal::AlreadyHooked);
    if (target[0] == 0xE8) return refuse(HookRefusal::StartsWithCall);
    if (target[0] == 0xC3) return refuse(HookRefusal::StartsWithReturn);
    if (available < kJumpLength + 1) return refuse(HookRefusal::CannotMeasure);
    if (target[kJumpLength] == 0xC3) return refuse(HookRefusal::RoutineTooShort);

    // Whole instructions until the jump fits.
    struct Stolen {
        size_t offset;
        Decoded d;
    };
    std::vector<Stolen> stolen;
    size_t total = 0;
    while (total < kJumpLength) {
        const Decoded d = decode(target + total, available - total);
        if (d.length < 1) return refuse(HookRefusal::CannotMeasure);
        if (!d.known) return refuse(HookRefusal::UnknownInstruction);
        // Bytes after a return or jump inside the patch may belong to someone else.
        if (ends_routine(d) && total + d.length < kJumpLength)
            return refuse(HookRefusal::RoutineTooShort);
        stolen.push_back({total, d});
        total += static_cast<size_t>(d.length);
    }
    plan.stolen_length = total;
    plan.trampoline.assign(target, target + total);

    // A relative branch copied as it is would land at the same offset in the trampoline: right
    // when it aims inside the stolen bytes (or at their end, where the jump back stands),
    // wrong anywhere else, so those are re-aimed at their old destination.
    const bool code32 = target_address < kFourGiB;
    for (const Stolen& s : stolen) {
        const BranchKind kind = branch_kind(s.d);
        if (kind == BranchKind::None) continue;
        // With a size prefix the operand is 16 bits and the table misjudges some forms.
        if (s.d.operand_size_prefix || s.d.address_size_prefix)
            return refuse(HookRefusal::BranchOutOfReach);
        const size_t end = s.offset + static_cast<size_t>(s.d.length);
        const int64_t disp = kind == BranchKind::Short ? static_cast<int8_t>(target[end - 1])
                                                       : get_le32(target + end - 4);
        const int64_t relative_destination = static_cast<int64_t>(end) + disp;
        if (relative_destination >= 0 && relative_destination <= static_cast<int64_t>(total))
            continue;
        if (kind == BranchKind::Short) return refuse(HookRefusal::BranchOutOfReach);
        uint64_t destination = target_address + static_cast<uint64_t>(relative_destination);
        if (code32) destination &= kFourGiB - 1;
        const auto moved = branch_displacement(trampoline_address + end, destination);
        if (!moved) return refuse(HookRefusal::BranchOutOfReach);
        put_le32(plan.trampoline.data() + end - 4, *moved);
    }

    const auto back =
        branch_displacement(trampoline_address + total + kJumpLength, target_address + total);
    const auto forward = branch_displacement(target_address + kJumpLength, detour_address);
    if (!back || !forward) return refuse(HookRefusal::BranchOutOfReach);
    plan.trampoline.resize(total + kJumpLength);
    plan.trampoline[total] = 0xE9;
    put_le32(plan.trampoline.data() + total + 1, *back);
    plan.patch[0] = 0xE9;
    put_le32(plan.patch.data() + 1, *forward);
    return plan;
}

CrashCatcherState& crash_catcher_state() {
    static CrashCatcherState state;
    return state;
}

int init_exception_catcher() {
    crash_catcher_state().lock.lock_create();
    // Structured exception frames and kernel32's CreateRemoteThread do not exist on this
    // platform; the handler only passed exceptions on, so nothing is installed and threads
    // start their own routines unchanged.
    return 0;
}

void load_opcode_tables() {
    CrashCatcherState& state = crash_catcher_state();
    if (!state.one_byte_opcode_flags.empty()) return;
    state.one_byte_opcode_flags.assign(kOneByteOpcodeFlags.begin(), kOneByteOpcodeFlags.end());
    state.two_byte_opcode_flags.assign(kTwoByteOpcodeFlags.begin(), kTwoByteOpcodeFlags.end());
}

void free_hook_tables() {
    CrashCatcherState& state = crash_catcher_state();
    std::vector<uint8_t>().swap(state.one_byte_opcode_flags);
    std::vector<uint8_t>().swap(state.two_byte_opcode_flags);
}

}  // namespace shell
