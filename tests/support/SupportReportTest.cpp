// The support report's exact text from given facts.
#include "support/SupportReport.h"

#include <gtest/gtest.h>

TEST(SupportReport, ExactLayoutFromGivenFacts) {
    Support::SystemFacts system;
    system.localTime.tm_year = 2026 - 1900;
    system.localTime.tm_mon = 0;
    system.localTime.tm_mday = 5;
    system.localTime.tm_hour = 9;
    system.localTime.tm_min = 7;
    system.localTime.tm_sec = 3;
    system.osName = "Debian GNU/Linux 12 (bookworm)";
    system.build = "6.1.0-18-amd64";
    system.is64Bit = true;
    system.processorName = "Example CPU";
    system.processorIdentifier = "x86_64 Family 6 Model 158 Stepping 10";
    system.processorVendor = "GenuineIntel";
    system.memoryBytes = 17179869184 + 5368709; // 16.005 GiB
    system.user = "alice";
    system.admin = false;
    Support::HostFacts host{"/usr/bin/daw", true, "DAW", "Maker", "4200", 512, 48000.0, "VST2"};

    const std::string expected = "-\n- Kavren Settings\n-\n\n"
                                 "version: 1.2.8\n"
                                 "content root: /home/alice/Documents/Quillmark/kavren XL/Presets/\n"
                                 "hosted plugin type: VST2\n\n"
                                 "2026-01-05 09:07:03\n\n"
                                 "-\n- System\n-\n\n"
                                 "Debian GNU/Linux 12 (bookworm)\nBuild 6.1.0-18-amd64\n\n"
                                 "System type: 64-bit Operating System\n"
                                 "Processor  : Example CPU\n"
                                 "Identifier : x86_64 Family 6 Model 158 Stepping 10\n"
                                 "Vendor     : GenuineIntel\n\n"
                                 "Installed memory (RAM): 16.00 GB\n"
                                 "\nUser       : alice\n"
                                 "Admin      : no\n"
                                 "\n-\n- Host\n-\n\n"
                                 "Executable : /usr/bin/daw\n\n"
                                 "VERSIONINFO\n"
                                 "Name       : DAW\nVendor     : Maker\nVersion    : 4200\n"
                                 "MaxBufSize : 512\nSamplerate : 48000\nInterface  : VST2\n\n";
    EXPECT_EQ(Support::formatSupportReport(
                  {"1.2.8", "/home/alice/Documents/Quillmark/kavren XL/Presets/", "VST2"}, system, host),
              expected);

    host.hasVersionInfo = false;
    system.is64Bit = false;
    system.admin = true;
    EXPECT_NE(Support::formatHostBlock(host).find("VERSIONINFO\nnot available!\n\nMaxBufSize : 512\n"),
              std::string::npos);
    EXPECT_NE(Support::formatSystemBlock(system).find("System type: 32-bit Operating System\n"),
              std::string::npos);
    EXPECT_NE(Support::formatSystemBlock(system).find("Admin      : yes\n"), std::string::npos);
    EXPECT_EQ(Support::formatSettingsBlock({"1.2.8", std::string(40000, 'x'), "VST2"}).size(),
              Support::kMaxSettingsBlockBytes);
}
