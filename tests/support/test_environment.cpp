// Linked into every test program: its configuration and data, and those of
// the programs its tests start, go to folders of the build, never to those
// of the user running the tests. Set before main, as the process starts.
// (Passing them as test properties split the two into separate properties,
// which also dropped the property after them.)

#include <cstdlib>

namespace {

const bool kTestFoldersSet = [] {
  setenv("XDG_CONFIG_HOME", VLM_TEST_CONFIG_HOME, 1);
  setenv("XDG_DATA_HOME", VLM_TEST_DATA_HOME, 1);
  return true;
}();

}  // namespace
