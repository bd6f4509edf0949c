#include <gtest/gtest.h>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {
namespace {

TEST(RunLog, AppendsAtTheEndWithoutTrimmingAndMirrorsEachAppend) {
    FakePlatform fake;
    Form_zelkon_cluster_controller form(fake.bundle());
    std::string mirrored;
    form.hooks.on_run_log_appended = [&](const std::string& text) { mirrored += text; };

    form.append_run_log("\rStage 1");
    form.append_run_log("\r\rStage 2");
    EXPECT_EQ(form.controls.TextBox_run_log.text, "\rStage 1\r\rStage 2");
    EXPECT_EQ(mirrored, "\rStage 1\r\rStage 2");

    std::string long_line(1 << 20, 'x');
    form.append_run_log("\r" + long_line);
    EXPECT_EQ(form.controls.TextBox_run_log.text.size(), 17u + 1 + long_line.size());
}

}  // namespace
}  // namespace zelkon
