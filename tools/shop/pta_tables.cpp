#include "shop/pta_tables.h"

#include <stdexcept>

namespace tolvane::shop {

namespace {

// Pta<B> as the shop databases have it, one text per table shape, the columns in
// table order. New parts are written into it by position, so these lists are written
// out here rather than taken from the program's own row layouts: a row that puts a
// value one place early or late lands in a column of another name and type.
// Types: TEXT, AMOUNT (currency), INTEGER, BOOLEAN (yes/no). The C<n> columns are
// the ones the transfer never reads; PType marks the part row's kind of entry, Active,
// Stopped and Locked are yes/no flags, Unit a count.
struct Shape {
    const char* name;
    const char* columns;
};

const Shape kShapes[] = {
    {"V.31",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "Active BOOLEAN, Stopped BOOLEAN, C23 TEXT, C24 INTEGER, C25 INTEGER, C26 INTEGER, "
     "C27 INTEGER, C28 INTEGER, BrandID INTEGER, C30 INTEGER, C31 INTEGER, KindPartNO TEXT, "
     "C33 INTEGER, C34 INTEGER, C35 INTEGER, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "UpRec INTEGER"},
    {"V.33",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "Active BOOLEAN, Stopped BOOLEAN, Locked BOOLEAN, C24 TEXT, C25 INTEGER, C26 INTEGER, "
     "C27 INTEGER, C28 INTEGER, C29 INTEGER, BrandID INTEGER, C31 INTEGER, C32 INTEGER, "
     "KindPartNO TEXT, C34 INTEGER, C35 INTEGER, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, UpRec INTEGER"},
    {"V.34",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "C21 INTEGER, C22 INTEGER, C23 INTEGER, WFlag INTEGER, DiffFlag INTEGER, C26 TEXT, "
     "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, BrandID INTEGER, "
     "C33 INTEGER, C34 INTEGER, KindPartNO TEXT, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, C40 INTEGER, C41 INTEGER, UpRec INTEGER"},
    {"V.42",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "C21 INTEGER, C22 INTEGER, Active BOOLEAN, Stopped BOOLEAN, C25 TEXT, C26 INTEGER, "
     "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 INTEGER, BrandID INTEGER, C32 INTEGER, "
     "C33 INTEGER, KindPartNO TEXT, C35 INTEGER, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, C40 INTEGER, UpRec INTEGER"},
    {"V.43",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "C21 INTEGER, C22 INTEGER, C23 INTEGER, Active BOOLEAN, Stopped BOOLEAN, C26 TEXT, "
     "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, BrandID INTEGER, "
     "C33 INTEGER, C34 INTEGER, KindPartNO TEXT, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, C40 INTEGER, C41 INTEGER, UpRec INTEGER"},
    {"V.45", "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
             "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
             "C14 TEXT, C15 TEXT, Import TEXT, C17 TEXT, Price AMOUNT, C19 INTEGER, Sale AMOUNT, "
             "C21 INTEGER, Active BOOLEAN, Stopped BOOLEAN, C24 TEXT, C25 INTEGER, C26 INTEGER, "
             "C27 INTEGER, C28 INTEGER, C29 INTEGER, BrandID INTEGER, C31 INTEGER, C32 INTEGER, "
             "KindPartNO TEXT, C34 INTEGER, C35 INTEGER, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
             "C39 INTEGER, UpRec INTEGER"},
    {"V.46",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "Active BOOLEAN, Stopped BOOLEAN, C23 TEXT, C24 TEXT, C25 INTEGER, C26 INTEGER, "
     "C27 INTEGER, C28 INTEGER, C29 INTEGER, BrandID INTEGER, C31 INTEGER, C32 INTEGER, "
     "KindPartNO TEXT, C34 INTEGER, C35 INTEGER, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, UpRec INTEGER, DateStamp INTEGER"},
    {"P.43",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, C19 INTEGER, C20 INTEGER, "
     "Sale AMOUNT, C22 INTEGER, C23 INTEGER, C24 INTEGER, Active BOOLEAN, Stopped BOOLEAN, "
     "C27 TEXT, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, C32 INTEGER, "
     "BrandID INTEGER, C34 INTEGER, C35 INTEGER, KindPartNO TEXT, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, C40 INTEGER, C41 INTEGER, C42 INTEGER, UpRec INTEGER"},
    {"P.44",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
     "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "C21 INTEGER, C22 INTEGER, C23 INTEGER, Active BOOLEAN, Stopped BOOLEAN, C26 TEXT, "
     "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, BrandID INTEGER, "
     "C33 INTEGER, C34 INTEGER, KindPartNO TEXT, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, C40 INTEGER, C41 INTEGER, UpRec INTEGER"},
    {"P.45", "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
             "lAtNO TEXT, C8 TEXT, PartNO2 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C13 TEXT, "
             "Model TEXT, C15 TEXT, Import TEXT, Price1 AMOUNT, Price AMOUNT, C19 INTEGER, "
             "C20 INTEGER, Sale1 AMOUNT, Sale AMOUNT, C23 INTEGER, C24 INTEGER, C25 INTEGER, "
             "C26 INTEGER, C27 INTEGER, C28 TEXT, C29 TEXT, C30 TEXT, C31 TEXT, C32 INTEGER, "
             "C33 INTEGER, C34 INTEGER, C35 INTEGER, C36 INTEGER, BrandID INTEGER, C38 INTEGER, "
             "C39 INTEGER, KindPartNO TEXT, C41 INTEGER, C42 INTEGER, C43 INTEGER, C44 INTEGER, "
             "C45 INTEGER, C46 INTEGER, UpRec INTEGER"},
    {"P.46", "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
             "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
             "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 TEXT, Sale AMOUNT, C20 TEXT, "
             "C21 INTEGER, C22 INTEGER, C23 INTEGER, Active BOOLEAN, Stopped BOOLEAN, C26 TEXT, "
             "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, BrandID INTEGER, "
             "C33 INTEGER, C34 INTEGER, KindPartNO TEXT, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
             "C39 INTEGER, C40 INTEGER, C41 INTEGER, UpRec INTEGER"},
    {"P.48",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, PartNO2 TEXT, "
     "lKind TEXT, lAtNO TEXT, C9 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C13 TEXT, "
     "Model TEXT, C15 TEXT, Import TEXT, C17 TEXT, Price AMOUNT, C19 TEXT, Sale AMOUNT, "
     "C21 TEXT, C22 INTEGER, C23 INTEGER, C24 INTEGER, Active BOOLEAN, Stopped BOOLEAN, "
     "C27 TEXT, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, C32 INTEGER, "
     "BrandID INTEGER, C34 INTEGER, C35 INTEGER, KindPartNO TEXT, C37 INTEGER, C38 INTEGER, "
     "C39 INTEGER, C40 INTEGER, C41 INTEGER, C42 INTEGER, UpRec INTEGER"},
    {"P.49", "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, PartNO2 TEXT, "
             "lKind TEXT, lAtNO TEXT, C9 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C13 TEXT, "
             "Model TEXT, C15 TEXT, Import TEXT, C17 TEXT, Price AMOUNT, C19 TEXT, Sale AMOUNT, "
             "C21 TEXT, C22 TEXT, Unit INTEGER, C24 INTEGER, C25 INTEGER, C26 INTEGER, "
             "UpRec INTEGER"},
    {"P.52",
     "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
     "lAtNO TEXT, C8 TEXT, EFind TEXT, EName TEXT, TFind TEXT, TName TEXT, C13 TEXT, "
     "Model TEXT, C15 TEXT, Import TEXT, Price AMOUNT, C18 INTEGER, Sale AMOUNT, C20 INTEGER, "
     "C21 INTEGER, C22 TEXT, C23 INTEGER, C24 INTEGER, C25 INTEGER, C26 INTEGER, C27 TEXT, "
     "C28 INTEGER, BrandID INTEGER, C30 INTEGER, C31 INTEGER, KindPartNO TEXT, C33 INTEGER, "
     "C34 INTEGER, C35 INTEGER, C36 INTEGER, C37 INTEGER, UpRec INTEGER"},
    {"P.61", "PType INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, lKind TEXT, "
             "lAtNO TEXT, C8 TEXT, EName TEXT, IndTName TEXT, TName TEXT, C12 TEXT, Model TEXT, "
             "C14 TEXT, Import TEXT, C16 TEXT, Price AMOUNT, C18 TEXT, Sale AMOUNT, C20 TEXT, "
             "C21 INTEGER, C22 INTEGER, C23 INTEGER, Unit INTEGER, C25 INTEGER, C26 TEXT, "
             "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 INTEGER, C31 INTEGER, BrandID INTEGER, "
             "C33 INTEGER, C34 INTEGER, KindPartNO TEXT, C36 INTEGER, C37 INTEGER, C38 INTEGER, "
             "C39 INTEGER, C40 INTEGER, C41 INTEGER, UpRec INTEGER"},
    {"P.64", "PType INTEGER, PGroup INTEGER, PartID INTEGER, Kind TEXT, FPartNO TEXT, PartNO TEXT, "
             "lKind TEXT, lAtNO TEXT, C9 TEXT, C10 TEXT, EFind TEXT, EName TEXT, TFind TEXT, "
             "TName TEXT, C15 TEXT, Model TEXT, C17 TEXT, Import TEXT, Price AMOUNT, C20 INTEGER, "
             "Sale AMOUNT, C22 INTEGER, C23 INTEGER, C24 TEXT, C25 INTEGER, C26 INTEGER, "
             "C27 INTEGER, C28 INTEGER, C29 INTEGER, C30 TEXT, C31 TEXT, C32 INTEGER, C33 INTEGER, "
             "UpRec INTEGER, C35 TEXT, C36 TEXT"},
};

// Which table shape each version's database has.
struct VersionShape {
    const char* version;
    const char* shape;
};

const VersionShape kVersionShapes[] = {
    {"V.31", "V.31"},       {"V.32", "V.31"},          {"V.41", "V.31"},
    {"V.51", "V.31"},       {"V.61", "V.31"},          {"P.42", "V.31"},
    {"V.33", "V.33"},       {"V.34", "V.34"},          {"V.42", "V.42"},
    {"V.43", "V.43"},       {"V.45", "V.45"},          {"V.46 (Bar)", "V.46"},
    {"P.43", "P.43"},       {"P.44 (Bar)", "P.44"},    {"P.45 (Bar)", "P.45"},
    {"P.46 (Bar)", "P.46"}, {"P.47001 (Bar)", "P.46"}, {"P.62 (Bar)", "P.46"},
    {"D.47 (Bar)", "P.46"}, {"P.48 (Bar)", "P.48"},    {"P.49 (Bar)", "P.49"},
    {"P.52", "P.52"},       {"P.61 (Bar)", "P.61"},    {"P.64 (Bar)", "P.64"},
    {"P.65 (Bar)", "P.64"},
};

struct Column {
    QString name, kind;
};

std::vector<Column> Columns(const QString& version) {
    const QString trimmed = version.trimmed();
    for (const VersionShape& vs : kVersionShapes) {
        if (trimmed != QLatin1String(vs.version))
            continue;
        for (const Shape& shape : kShapes) {
            if (QLatin1String(shape.name) != QLatin1String(vs.shape))
                continue;
            std::vector<Column> columns;
            for (const QString& piece : QString::fromLatin1(shape.columns).split(u',')) {
                const QStringList words = piece.trimmed().split(u' ');
                columns.push_back({words.at(0), words.at(1)});
            }
            return columns;
        }
    }
    throw std::invalid_argument("no shop database of version " + version.toStdString());
}

QString TypeText(const QString& kind, Flavour flavour) {
    const bool pg = flavour != Flavour::SQLite;
    if (kind == QLatin1String("BOOLEAN") && flavour == Flavour::SqlServer)
        return QStringLiteral("SMALLINT");
    if (kind == QLatin1String("AMOUNT"))
        return pg ? QStringLiteral("NUMERIC(19,4)") : QStringLiteral("NUMERIC");
    return kind;
}

} // namespace

QStringList PtaColumns(const QString& version) {
    QStringList names;
    for (const Column& column : Columns(version))
        names << column.name;
    return names;
}

QStringList PtaColumnKinds(const QString& version) {
    QStringList kinds;
    for (const Column& column : Columns(version))
        kinds << column.kind;
    return kinds;
}

QString PtaColumnDefinitions(const QString& version, Flavour flavour) {
    QStringList definitions;
    for (const Column& column : Columns(version))
        definitions << column.name + u' ' + TypeText(column.kind, flavour);
    return definitions.join(QStringLiteral(", "));
}

} // namespace tolvane::shop
