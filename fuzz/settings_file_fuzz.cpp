// A settings file read with File > Read setup (or --settings), then checked as
// a start would check it.
#include "form/Form_zelkon_cluster_controller.h"
#include "fuzz_support.h"
#include "platform/fake/fake_platform.h"

using namespace zelkon;

namespace {

constexpr const char* kFile = "/cfg/fuzz.inp";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FakePlatform fake;
    fake.files.add_folder("/data");
    fake.files.add_file(kFile, fuzz::text_of(data, size));
    Form_zelkon_cluster_controller form(fake.bundle());

    std::int32_t ierr = 99;
    form.settings_file.read_cluster_settings(kFile, ierr);
    fuzz::require(ierr == 0 || ierr == -1, "a read ends with ierr 0 or -1");
    fuzz::require(fake.dialogs.messages.size() == (ierr == 0 ? 0u : 1u),
                  "a refused file shows one message, a read one none");
    if (ierr != 0) {
        return 0;
    }
    fake.dialogs.messages.clear();
    form.settings_check.check_cluster_settings(ierr);
    fuzz::require(fake.dialogs.messages.size() == (ierr == 0 ? 0u : 1u),
                  "a refused check shows one message, a passed one none");
    return 0;
}
