// The self-extractor stub: the program in front of a self-extracting ZIP. It reads the
// archive from its own file, whatever name it was started by.
#include <openssl/crypto.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "sfxstub/SfxRun.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // The stub needs no OpenSSL configuration, and a machine's could name modules that a
  // statically linked program cannot load.
  OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr);
  vk::sfx::TSfxRunInput input;
  input.Program = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "sfx";
  // /proc/self/exe opens the very file that runs, even when it was renamed or its folder is
  // out of reach; its own name reads better in messages while it still leads there. Without
  // /proc (a bare chroot) the name it was started by is all there is.
  input.Archive = "/proc/self/exe";
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink(input.Archive, ec);
  if (!ec && std::filesystem::equivalent(self, input.Archive, ec) && !ec)
    input.Archive = self.string();
  else if (access(input.Archive.c_str(), R_OK) != 0 && argc > 0 && std::strchr(argv[0], '/'))
    input.Archive = argv[0];
  input.Args.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
  input.Interactive = isatty(STDIN_FILENO) != 0;
  return vk::sfx::RunSfx(input, std::cin, std::cout, std::cerr);
}
