#pragma once
// The fixed 18-character password every main database and backup is keyed with.
namespace platform {
inline constexpr const char kDatabasePassword[] = "Fee#Office@2026!Qx";
static_assert(sizeof(kDatabasePassword) - 1 == 18);
}  // namespace platform
