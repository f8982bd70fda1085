#include "bench_window.h"

#include <QComboBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace comtrax::bench {

void PrintingDialogs::message(const QString& text)
{
    ++shown;
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
}

void PrintingDialogs::error(const QString& text)
{
    ++shown;
    std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
}

void PrintingDialogs::noPortWindow()
{
    ++shown;
    std::fprintf(stderr, "no-port window\n");
}

ScratchDir::ScratchDir()
{
    namespace fs = std::filesystem;
    std::string tmpl = (fs::temp_directory_path() / "comtrax-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

BenchWindow::BenchWindow(const std::string& devicePath, bool logOn)
{
    if (!devicePath.empty())
        lister.ports = {devicePath};
    WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.directory = dir.path();
    window = std::make_unique<TerminalWindow>(env);
    if (devicePath.empty())
        return;
    window->controls().ComPort->setCurrentIndex(0);
    window->controls().BaudRate->setCurrentIndex(window->controls().BaudRate->findText("115200"));
    window->controls().BTConnect->click();
    if (logOn)
        window->controls().StartLog->click();
}

std::string BenchWindow::logPath()
{
    return dir.path() + "/" + window->terminal().logFileName();
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

}  // namespace comtrax::bench
