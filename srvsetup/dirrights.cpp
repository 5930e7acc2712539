#include "dirrights.h"

namespace srvsetup {

std::uint32_t access_mask(int read, int write, int execute, int del, int full) {
  if (full == 1) return kFullControl;
  std::uint32_t mask = 0;
  if (read == 1) mask |= kReadRight;
  if (write == 1) mask |= kWriteRight;
  if (execute == 1) mask |= kExecuteRight;
  if (del == 1) mask |= kDeleteRight;
  return mask;
}

bool is_drive_root(std::string_view path) {
  return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

}  // namespace srvsetup
