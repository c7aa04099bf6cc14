// Entry point of the Wine lab tests: without the Windows simulator from the cross build they
// report themselves skipped (CTest's code 77) instead of passing without having run.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char *argv[])
{
    const char *exe = std::getenv("KTR_SIM_EXE");
    if (exe == nullptr || !std::filesystem::exists(exe)) {
        std::printf("skipped: no Windows build of ktr-sim at %s (scripts/test makes it)\n",
                    exe ? exe : "(KTR_SIM_EXE unset)");
        return 77;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
