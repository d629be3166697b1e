// The window tests need one QApplication for the whole run; they never show a modal box. The
// window stands on one screen of 1024 x 600, the smallest screen it is made for.

#include <gtest/gtest.h>

#include <QApplication>

#include "test_support.hpp"

int main(int argc, char** argv) {
    const std::string screen =
        (tessaline::test::DataDir() / "gui" / "screen-1024x600.json").string();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screen.c_str());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
