// The registry file that is installed reads cleanly, names the system's
// information viewer, and goes where the program looks for it.
#include "platform/posix/reg_file_registry.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(InstalledRegistryFile, ReadsCleanlyAndNamesTheInformationViewer)
{
    std::ostringstream warnings;
    const auto document = varno::platform::readRegFile(VARNO_REGISTRY_SOURCE, warnings);
    ASSERT_TRUE(document);
    EXPECT_EQ(warnings.str(), "");
    const auto* path = document->findValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->type, varno::kRegSz);
    EXPECT_EQ(std::string(path->data.begin(), path->data.end()), std::string("/usr/bin/hardinfo", 18));
    EXPECT_EQ(std::string(VARNO_REGISTRY_RELATIVE), std::string(varno::platform::kRegFileName));
}
