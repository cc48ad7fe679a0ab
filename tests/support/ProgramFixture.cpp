#include "ProgramFixture.h"

#include "core/util/Paths.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void ProgramFixture::SetUp() {
    ASSERT_TRUE(m_folder.isValid());
}

void ProgramFixture::TearDown() {
    m_main.reset();
}

void ProgramFixture::startProgram() {
    m_main.reset();
    m_state = ProgramState();
    // As the program starts: its folder written with the platform's separator.
    m_main = std::make_unique<TFTesselloreFirmWare>(m_state, programFolderPath(m_folder.path()));
    m_main->createWindows();
}

void ProgramFixture::openConfiguration(const QString& name) {
    QDir().mkpath(joinPath(joinPath(m_state.Dir_Projects, name), QStringLiteral("bin")));
    m_state.Active_Conf_Name = name;
    m_state.Active_Conf_Dir = joinPath(m_state.Dir_Projects, name);
    m_state.Set_Files();
}

QString ProgramFixture::programPath(const QString& relative) const {
    return QDir::toNativeSeparators(QDir(m_folder.path()).filePath(relative));
}

void ProgramFixture::writeFile(const QString& relative, const QByteArray& content) const {
    const QString path = programPath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray ProgramFixture::readFile(const QString& relative) const {
    QFile file(programPath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
