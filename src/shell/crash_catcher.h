#pragma once
// Crash catcher. On the platform it was written for, it put an outermost exception handler on
// the main thread and diverted kernel32's thread-start routine through a 5-byte jump so that new
// threads got the same handler. That handler only ever passed exceptions on, so leaving it out
// changes nothing a user sees. What remains here is the program-wide state the start-up creates
// and frees, and the inline-hook machinery as pure functions over byte buffers: the table-driven
// length decoder for 32-bit x86 code and a planner that says what a hook would write. Nothing
// here ever writes to executable memory.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace shell {

// ---- instruction-length decoder --------------------------------------------------------------

// Flags of the opcode tables. Entries combine them: 6 = ModRM + imm8, 18 = ModRM + imm32,
// 24 = imm16 + imm32 (far pointer), 132 = relative + imm8, 144 = relative + imm32.
enum OpcodeFlag : uint8_t {
    kOpPlain = 1,
    kOpModRM = 2,
    kOpImm8 = 4,
    kOpImm16 = 8,
    kOpImm32 = 16,  // 16-bit after an operand-size prefix (0x66)
    kOpPrefix = 32,
    kOpEscape = 64,     // 0x0F: the next byte is looked up in the second table
    kOpRelative = 128,  // branch whose immediate becomes 16-bit after an address-size prefix
};

// One-byte opcodes, and the byte after 0x0F (0 for an opcode the decoder does not know).
extern const std::array<uint8_t, 256> kOneByteOpcodeFlags;
extern const std::array<uint8_t, 256> kTwoByteOpcodeFlags;

// Length in bytes of the 32-bit instruction at code[0], prefixes included; 0 when `available`
// bytes do not hold the whole instruction (or code is null), so nothing past the buffer is read.
int x86_instruction_length(const uint8_t* code, size_t available);

// ---- hook planner -----------------------------------------------------------------------------

enum class HookRefusal {
    None,
    NullAddress,         // no code, or the routine, replacement or trampoline address is 0
    AlreadyHooked,       // the routine starts with a jump (0xE9)
    StartsWithCall,      // 0xE8
    StartsWithReturn,    // 0xC3
    RoutineTooShort,     // the sixth byte is a return, or the routine ends inside the patch
    CannotMeasure,       // an instruction measures below 1 byte (runs past the given bytes)
    UnknownInstruction,  // a 0x0F opcode the second table does not know: its length is a guess
    BranchOutOfReach,    // a jump the patch or the trampoline needs cannot be encoded
};

struct HookPlan {
    HookRefusal refusal = HookRefusal::None;
    // Bytes of whole instructions moved from the routine's start into the trampoline (>= 5).
    size_t stolen_length = 0;
    // The stolen instructions, relative branches re-aimed at their old destinations, then 0xE9
    // and the displacement back to the routine at target + stolen_length.
    std::vector<uint8_t> trampoline;
    // 0xE9 and the displacement to the replacement, for the routine's first five bytes.
    std::array<uint8_t, 5> patch{};

    bool ok() const { return refusal == HookRefusal::None; }
};

// Displacement of a relative jump or call from the address just after it (source_end) to
// destination. 32-bit code wraps at 4 GiB, so there every destination is in reach; when an
// address lies above that, the signed distance must fit 32 bits, otherwise there is none.
std::optional<int32_t> branch_displacement(uint64_t source_end, uint64_t destination);

// What diverting the routine whose first `available` bytes are `target` (loaded at
// target_address) to detour_address would write, with the trampoline placed at
// trampoline_address. Pure: reads only target[0 .. available).
HookPlan plan_inline_hook(const uint8_t* target, size_t available, uint64_t target_address,
                          uint64_t detour_address, uint64_t trampoline_address);

// ---- program-wide state -----------------------------------------------------------------------

// The catcher's lock. Created by the installer; nothing takes it.
class CriticalSection {
public:
    bool lock_is_created() const { return mutex_ != nullptr; }
    void lock_create() {
        lock_delete();
        mutex_ = std::make_unique<std::mutex>();
    }
    void lock_delete() { mutex_.reset(); }
    void lock_enter() {
        if (mutex_) mutex_->lock();
    }
    void lock_leave() {
        if (mutex_) mutex_->unlock();
    }

private:
    std::unique_ptr<std::mutex> mutex_;
};

// A hook's record. It stays unhooked here (trampoline 0), as no code is ever diverted.
struct ApiHook {
    uint64_t trampoline = 0;
    uint64_t target = 0;
    size_t stolen_length = 0;

    uint64_t hook_trampoline() const { return trampoline; }
};

// Created before any window, in this order; the tables are the hook class's own copies of the
// opcode tables, loaded on first use and freed by the exit clean-up.
struct CrashCatcherState {
    std::vector<uint8_t> one_byte_opcode_flags;
    CriticalSection lock;
    ApiHook hook;
    std::vector<uint8_t> two_byte_opcode_flags;
};

CrashCatcherState& crash_catcher_state();

// The installer, run once at start-up before any window: creates the lock; returns 0.
int init_exception_catcher();
// Copies the opcode tables into the state (what a hook's first install does first).
void load_opcode_tables();
// The catcher's part of the exit clean-up: frees the table copies.
void free_hook_tables();

}  // namespace shell
