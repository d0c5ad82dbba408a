#include "shell_fixture.h"

#include "engine/util/path.h"
#include "platform/core/program_path.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTreeWidgetItemIterator>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace shell::test {

std::string ShellFixture::sourceDir()
{
    const char* dir = std::getenv("KORVANE_SOURCE_DIR");
    return dir ? dir : KORVANE_SOURCE_DIR_FALLBACK;
}

std::string ShellFixture::binaryBinDir()
{
    return std::string(KORVANE_BUILD_DIR) + "/bin";
}

void ShellFixture::SetUp()
{
    ASSERT_TRUE(m_temp.isValid());
    m_startFolder = engine::GetCurrentDirectoryText();
    const QString root = m_temp.path();
    m_programDir = (root + "/program").toStdString();
    m_projectDir = (root + "/demo").toStdString();
    QDir().mkpath(root + "/program/models");
    QDir().mkpath(root + "/demo");
    const QString demo = QString::fromStdString(sourceDir() + "/samples/demo");
    for (const QString& name : QDir(demo).entryList(QDir::Files))
        QFile::copy(demo + "/" + name, root + "/demo/" + name);
    for (const QString& name : QDir(demo + "/models").entryList(QDir::Files))
        QFile::copy(demo + "/models/" + name, root + "/program/models/" + name);
    // Both models plain, one script, the stand-in generator beside the program.
    std::ofstream config(m_programDir + "/ombagen.cfg");
    config << "[MODELS]\nZ5 Standard=models/z5std.mdl\nZ5 Multiprocessor=models/z5mp.mdl\n\n"
              "[GENERAL]\nHelp File=help.pdf\nRelease Notes=notes.htm\n\n"
              "[SCRIPTS]\nList__files_here=ls\n";
    config.close();
    QFile::link(QString::fromStdString(binaryBinDir() + "/libombacodegen_standin.so"),
                QString::fromStdString(m_programDir + "/libombacodegen_standin.so"));
    platform::setProgramDirectoryOverride(m_programDir);
    m_profile = std::make_unique<platform::ProfileStore>((root + "/profile.ini").toStdString());
    m_useProfile = std::make_unique<platform::ScopedApplicationProfile>(m_profile.get());
    m_boxes = std::make_unique<platform::ScopedScriptedMessages>();
}

void ShellFixture::TearDown()
{
    if (m_window) {
        m_window->setDialogs(nullptr);
        m_window.reset();
    }
    m_boxes.reset();
    m_useProfile.reset();
    platform::setProgramDirectoryOverride("");
    engine::SetCurrentDirectoryText(m_startFolder);
}

void ShellFixture::startWindow(bool openDemo)
{
    m_window = std::make_unique<CMainDialog>();
    m_window->setDialogs(&m_dialogs);
    std::vector<std::string> arguments{"OMBAgen"};
    if (openDemo)
        arguments.push_back(demoPath());
    m_window->Initialize(arguments, CMainDialog::StartOptions{0});
    settle();
}

void ShellFixture::settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

uint32_t ShellFixture::selectNode(const QString& text)
{
    for (QTreeWidgetItemIterator it(m_window->tree()); *it; ++it) {
        if ((*it)->text(0) == text) {
            const uint32_t id = m_window->tree()->idOf(*it);
            m_window->tree()->SelectItem(id);
            settle();
            return id;
        }
    }
    ADD_FAILURE() << "no tree node " << text.toStdString();
    return 0;
}

std::string ShellFixture::readFile(const std::string& path) const
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace shell::test
