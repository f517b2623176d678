#include "test_application.h"

#include <gtest/gtest.h>

#include <memory>

namespace hc::test {

namespace {

int g_argc = 1;
char g_program[] = "hc_desktop_test";
char* g_argv[] = {g_program, nullptr};
std::unique_ptr<hc::Application> g_application;

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        g_application = std::make_unique<hc::Application>(g_argc, g_argv);
        g_application->setTitle("Honeycombwordsmiths");
    }
    void TearDown() override { g_application.reset(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

hc::Application& application() {
    return *g_application;
}

} // namespace hc::test
