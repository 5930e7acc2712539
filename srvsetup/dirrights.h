// The rights a directory grant carries and the paths a grant refuses.
// Platform-free: the mask bits are the platform's access-mask values.
#pragma once

#include <cstdint>
#include <string_view>

namespace srvsetup {

constexpr std::uint32_t kReadRight = 0xA0000000;  // generic read together with generic execute
constexpr std::uint32_t kWriteRight = 0x40000000;
constexpr std::uint32_t kExecuteRight = 0x20000000;
constexpr std::uint32_t kDeleteRight = 0x00010000;
constexpr std::uint32_t kFullControl = 0x10000000;

// The mask the installer's choices select. A choice counts only when it is
// exactly 1; full control stands alone and hides the other four.
std::uint32_t access_mask(int read, int write, int execute, int del, int full);

// A bare drive root: a letter, ':' and '\' with nothing after. Only the
// second and third characters are tested.
bool is_drive_root(std::string_view path);

}  // namespace srvsetup
