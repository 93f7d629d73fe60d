#pragma once

#include "services.h"

#include <QElapsedTimer>
#include <random>

namespace platform {

class SystemServices : public Services {
public:
    SystemServices();

    double clockSeconds() override;
    void seedRandom() override;
    float nextRandom() override;
    QString inputBox(QWidget *parent, const QString &prompt, const QString &title) override;
    void showError(QWidget *parent, const QString &text) override;
    RankingFiles rankingFiles() override;
    Version applicationVersion() override;
    void endProgram() override;

private:
    QElapsedTimer monotonic;
    std::mt19937 generator;
};

} // namespace platform
