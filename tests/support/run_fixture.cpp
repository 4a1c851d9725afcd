#include "support/run_fixture.h"

#include "data/open_connection.h"

#include <stdexcept>

namespace tolvane::testing {

RunFixture::RunFixture(const QString& version, int brandId) : version(version), brandId(brandId) {
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder");
    sourcePath = dir.filePath(QStringLiteral("PriceList.mdb"));
    targetPath = dir.filePath(QStringLiteral("Velmora.accdb"));
    shop::CreateSource(sourcePath);
    shop::CreateTarget(targetPath, version, brandId);
    window.fields.txtPriceList = sourcePath;
    window.fields.txtDataVelmora = targetPath;
    window.fields.optAccess = true;
    Reopen();
}

QStringList RunFixture::Statements() const {
    const QString target = RoleName(Role::Target) + QLatin1Char('\t');
    const QString execute = target + TraceKindName(TraceKind::Execute) + QLatin1Char('\t');
    const QString open = target + TraceKindName(TraceKind::Open) + QLatin1Char('\t');
    QStringList statements;
    for (const QString& line : trace.lines) {
        if (line.startsWith(execute))
            statements << line.mid(execute.size());
        else if (line.startsWith(open))
            statements << line.mid(open.size());
    }
    return statements;
}

void RunFixture::Seed(const shop::Part& part, bool withCopies) {
    shop::SeedPart(targetPath, version, brandId, part, withCopies);
}

void RunFixture::Reopen() {
    if (state)
        state->DiscardData();
    state = std::make_unique<RunState>(window, DataHooks{&trace, faults});
    state->lngBrandID = brandId;
    state->strVer = version;
    OpenConnection(*state);
}

} // namespace tolvane::testing
