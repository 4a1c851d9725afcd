#include "insert/insertion_by_set.h"

#include "data/literal.h"
#include "data/recordset.h"
#include "data/run_state.h"
#include "insert/get_new_id.h"
#include "insert/insertion_row.h"
#include "parts/alt_links.h"
#include "parts/part_keys_by_set.h"
#include "text/error.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

namespace tolvane {

namespace {

// Staged rows held at a time: as many as a chunk may hold.
constexpr std::size_t kRowsPerRead = 32767;
// IDs per read of the links of the parts that may become own parts.
constexpr std::size_t kIdsPerRead = 500;
constexpr std::int32_t kLargestID = std::numeric_limits<std::int32_t>::max();

// ---- What the model holds ------------------------------------------------------------

struct StagedRow {
    PartEntry entry;
    qint64 numberGroup = 0; // equal part numbers, as the server ranks them
    qint64 kindGroup = 0;   // equal part numbers under equal kinds
    bool handled = false;
};

// A part the run created: its ID, kind and value of the look-up column.
struct CreatedPart {
    PartRole role;
    std::int32_t id;
    QString kind;
    QString value;
    qint64 valueClass = 0; // the value's class under the server's collation
};

struct FreedID {
    QVariant value;
    bool used = false; // a part holds it
};

// What one row does, worked out before it is sent; applied to the model once the
// server committed it.
struct RowPlan {
    std::vector<CheckedStatement> statements;
    std::vector<CreatedPart> created;
    std::vector<std::int32_t> members; // parts that exist after the row
    std::size_t freedTaken = 0;        // entries taken from the front of the freed IDs
    std::optional<std::int32_t> lastID;
    std::map<std::int32_t, std::vector<std::int32_t>> altG; // a part's link rows after the row
    std::map<std::int32_t, std::vector<std::int32_t>> facD; // a part's factories after the row
};

class Model {
public:
    explicit Model(InsertionRun& run) : run_(run), st_(run.st) {}

    // Reads the staged rows and what they need. False when a read fails: the rows
    // then go one by one.
    bool Read();
    std::int32_t Total() const { return total_; }
    // The next staged row not yet handled of those read; null when none is left.
    StagedRow* Next();
    // The staged row read after `row`, handled or not; null after the last.
    StagedRow* Following(StagedRow* row) {
        const std::size_t i = static_cast<std::size_t>(row - rows_.data()) + 1;
        return i < rows_.size() ? &rows_[i] : nullptr;
    }
    // Whether staged rows remain that were not read (more than a read holds).
    bool More() const { return more_; }
    // Whether a staged row could not be read: the rows from it on go one by one.
    bool Unreadable() const { return unreadable_; }

    // The row's transaction, or nothing when the model cannot be sure what it does.
    std::optional<RowPlan> Plan(const StagedRow& row, const SharedValues& shared) const;
    void Apply(const RowPlan& plan, const StagedRow& row);

private:
    void ReadStagedRows();
    void ReadLookups();
    void RankTexts();
    void ReadCounter();
    void ReadLinks();
    void ReadLinksOf(const std::vector<std::int32_t>& ids, const QString& range);

    std::optional<std::int32_t> FindOrCreate(RowPlan& plan, const SharedValues& shared,
                                             PartRole role, const QString& kind,
                                             const QString& number) const;
    std::optional<std::int32_t> Draw(RowPlan& plan) const;
    bool Created(const RowPlan& plan, std::int32_t id) const;
    std::optional<bool> Exists(const RowPlan& plan, std::int32_t id) const;
    bool PlanLinks(RowPlan& plan, std::int32_t own, std::int32_t linked,
                   std::int32_t alternate) const;
    const std::vector<std::int32_t>* LinksOf(const RowPlan& plan, std::int32_t id) const;
    const std::vector<std::int32_t>* FactoriesOf(const RowPlan& plan, std::int32_t id) const;

    InsertionRun& run_;
    RunState& st_;
    std::vector<StagedRow> rows_;
    std::size_t next_ = 0;
    std::int32_t total_ = 0;
    bool more_ = false;
    bool unreadable_ = false;

    PartKeySet keys_;
    std::vector<std::optional<std::int32_t>> found_; // lowest PartID a look-up finds
    std::vector<bool> foundReadable_;
    KeyClasses classes_; // the server's equality of every kind and number the rows touch

    std::vector<CreatedPart> created_;
    QHash<qint64, std::vector<std::size_t>> createdByClass_;
    std::set<std::int32_t> createdIds_;

    std::vector<FreedID> freed_;
    std::size_t freedFront_ = 0;
    std::optional<std::int32_t> last_; // the counter, when it holds a usable value
    std::int32_t highest_ = kLargestID;
    std::int32_t usedUpTo_ = 0; // the IDs in use above the counter are known up to here
    std::set<std::int32_t> used_;

    std::map<std::int32_t, std::vector<std::int32_t>> altG_; // link rows of known parts
    std::map<std::int32_t, std::vector<std::int32_t>> facD_; // factories of known parts
    std::map<std::int32_t, bool> exists_;
};

// ---- Reading -------------------------------------------------------------------------

bool Model::Read() {
    try {
        ReadStagedRows();
        ReadLookups();
        RankTexts();
        ReadCounter();
        ReadLinks();
    } catch (const Error&) {
        return false;
    }
    return true;
}

void Model::ReadStagedRows() {
    Recordset rs;
    rs.Open("Select Kind, PartNO, lKind, lAtNO, AKind, AltNO, EName, TName, Model, Import, "
            "Price, Sale, Dense_Rank() Over (Order By PartNO) As tolvane_number, "
            "Dense_Rank() Over (Order By PartNO, Kind) As tolvane_kind, "
            "Count(*) Over () As tolvane_total From PriceList Where BrandID = " +
                run_.Brand() + " Order By PartNO",
            st_.Data(), Recordset::adOpenForwardOnly);
    for (; !rs.Eof(); rs.MoveNext()) {
        if (rows_.size() == kRowsPerRead) {
            more_ = true;
            break;
        }
        StagedRow row;
        try {
            row.entry = ReadPartEntry(rs, true);
            row.numberGroup = rs.Field(QStringLiteral("tolvane_number")).toLongLong();
            row.kindGroup = rs.Field(QStringLiteral("tolvane_kind")).toLongLong();
            total_ = rs.Long(QStringLiteral("tolvane_total"));
        } catch (const Error&) {
            unreadable_ = true;
            break;
        }
        rows_.push_back(row);
    }
    rs.Close();
}

void Model::ReadLookups() {
    const RowLayout& layout = run_.layout;
    for (const StagedRow& row : rows_) {
        const PartEntry& e = row.entry;
        const auto add = [&](PartRole role, const QString& kind, const QString& number) {
            const PartLookup lookup = LookupOf(layout, role, kind, number);
            keys_.Add(lookup.kind, lookup.value);
        };
        add(PartRole::Own, e.Kind, e.PartNO);
        if (!e.lAtNO.isEmpty() && e.lAtNO != e.PartNO)
            add(PartRole::Linked, e.lKind, e.lAtNO);
        if (!e.AltNO.isEmpty() && e.AltNO != e.PartNO)
            add(PartRole::Alternate, e.AKind, e.AltNO);
    }
    found_.assign(keys_.keys().size(), std::nullopt);
    foundReadable_.assign(keys_.keys().size(), true);
    std::vector<bool> seen(keys_.keys().size(), false);
    ReadPartsByKey(st_, st_.Table("Pta"), LookupColumn(layout), keys_, QStringLiteral("p.PartID"),
                   [&](std::size_t i, const Recordset& rs) {
                       if (seen[i])
                           return;
                       seen[i] = true;
                       try {
                           found_[i] = rs.Long(QStringLiteral("PartID"));
                           exists_[*found_[i]] = true;
                       } catch (const Error&) {
                           foundReadable_[i] = false;
                       }
                   });
}

// Which of the kinds and numbers the rows look up or create the server counts as
// equal: the model matches a look-up with the parts it created by these classes alone.
void Model::RankTexts() {
    std::vector<PartKey> texts = keys_.keys();
    for (const StagedRow& row : rows_) {
        const PartEntry& e = row.entry;
        for (const auto& [role, kind, number] :
             {std::tuple{PartRole::Own, e.Kind, e.PartNO},
              std::tuple{PartRole::Linked, e.lKind, e.lAtNO},
              std::tuple{PartRole::Alternate, e.AKind, e.AltNO}}) {
            if (number.isEmpty())
                continue;
            const NewPart part = NewPartOf(run_, role, 0, kind, number);
            texts.push_back({part.K, run_.layout.lookupBySearchNumber ? part.F : part.N});
        }
    }
    classes_ = RankKeys(st_, st_.Table("Pta"), LookupColumn(run_.layout), texts);
}

void Model::ReadCounter() {
    const QString counter = Literal(st_.Table("Pta"));
    const QString pta = st_.Table("Pta");
    Recordset rs;
    rs.Open("Select o.OldID, (Select Count(*) From " + pta +
                " p Where p.PartID = o.OldID) As tolvane_used From OldID o Where o.NameID = " +
                counter + " Order By o.OldID",
            st_.Data(), Recordset::adOpenForwardOnly);
    for (; !rs.Eof(); rs.MoveNext())
        freed_.push_back({rs.Field(QStringLiteral("OldID")),
                          rs.Field(QStringLiteral("tolvane_used")).toLongLong() != 0});
    rs.Close();

    rs.Open("Select LastID From LastID Where NameID = " + counter, st_.Data());
    // One counter row holding a usable value; anything else is the row-by-row draw's to
    // repair.
    if (rs.RecordCount() == 1)
        last_ = CounterID(rs.Field(QStringLiteral("LastID")), 0);
    rs.Close();

    rs.Open("Select Max(PartID) As Highest From " + pta, st_.Data());
    const QVariant highest = rs.Eof() ? QVariant() : rs.Field(QStringLiteral("Highest"));
    highest_ = highest.isNull() ? 0 : rs.Long(QStringLiteral("Highest"));
    rs.Close();

    // A counter behind the highest ID may still hand out the free IDs above it: the IDs
    // in use among those the run may draw tell which.
    if (!last_ || *last_ >= highest_)
        return;
    usedUpTo_ = static_cast<std::int32_t>(
        std::min<qint64>(highest_, qint64{*last_} + 3 * qint64(rows_.size())));
    rs.Open(QStringLiteral("Select PartID From %1 Where PartID > %2 And PartID <= %3")
                .arg(pta)
                .arg(*last_)
                .arg(usedUpTo_),
            st_.Data(), Recordset::adOpenForwardOnly);
    for (; !rs.Eof(); rs.MoveNext())
        used_.insert(rs.Long(QStringLiteral("PartID")));
    rs.Close();
}

// The links of every part that may become an own part: the parts the own numbers find,
// the freed IDs, and the IDs the counter will hand out (a part's old links may wait
// under an ID that is free again).
void Model::ReadLinks() {
    std::set<std::int32_t> ids;
    const RowLayout& layout = run_.layout;
    for (const StagedRow& row : rows_) {
        const PartLookup own = LookupOf(layout, PartRole::Own, row.entry.Kind, row.entry.PartNO);
        const std::optional<std::size_t> k = keys_.Find(own.kind, own.value);
        if (k && found_[*k])
            ids.insert(*found_[*k]);
    }
    for (const FreedID& freed : freed_) {
        if (const std::optional<std::int32_t> id = CounterID(freed.value, 1))
            ids.insert(*id);
    }
    QString range;
    if (last_) {
        const qint64 upTo = std::min<qint64>(kLargestID, qint64{*last_} + 3 * qint64(rows_.size()));
        range = QStringLiteral("PartID > %1 And PartID <= %2").arg(*last_).arg(upTo);
        for (qint64 id = qint64{*last_} + 1; id <= upTo; ++id) {
            altG_[static_cast<std::int32_t>(id)];
            facD_[static_cast<std::int32_t>(id)];
        }
    }
    ReadLinksOf(std::vector<std::int32_t>(ids.begin(), ids.end()), range);
}

void Model::ReadLinksOf(const std::vector<std::int32_t>& ids, const QString& range) {
    const QString pta = st_.Table("Pta");
    const QString altG = st_.Table("AltG");
    const QString facD = st_.Table("FacD");
    std::vector<QString> conditions;
    for (std::size_t first = 0; first < ids.size(); first += kIdsPerRead) {
        QStringList list;
        for (std::size_t i = first; i < std::min(ids.size(), first + kIdsPerRead); ++i)
            list << QString::number(ids[i]);
        conditions.push_back("PartID In (" + list.join(QStringLiteral(", ")) + ")");
    }
    if (!range.isEmpty())
        conditions.push_back(range);
    for (const std::int32_t id : ids) {
        altG_[id];
        facD_[id];
    }
    // A table an older database lacks holds no links, as the row-by-row readers take it.
    for (const QString& condition : conditions) {
        Recordset rs;
        try {
            rs.Open("Select g.PartID, g.AltID, (Select Count(*) From " + pta +
                        " p Where p.PartID = g.AltID) As tolvane_exists From " + altG +
                        " g Where g." + condition,
                    st_.Data(), Recordset::adOpenForwardOnly);
            for (; !rs.Eof(); rs.MoveNext()) {
                const std::int32_t alt = rs.Long(QStringLiteral("AltID"));
                altG_[rs.Long(QStringLiteral("PartID"))].push_back(alt);
                exists_[alt] = rs.Field(QStringLiteral("tolvane_exists")).toLongLong() != 0;
            }
        } catch (const Error&) {
        }
        rs.Close();
        try {
            rs.Open("Select d.PartID, d.FacID From " + facD +
                        " d Inner Join Fac On d.FacID = "
                        "Fac.FacID Where d." +
                        condition,
                    st_.Data(), Recordset::adOpenForwardOnly);
            for (; !rs.Eof(); rs.MoveNext())
                facD_[rs.Long(QStringLiteral("PartID"))].push_back(
                    rs.Long(QStringLiteral("FacID")));
        } catch (const Error&) {
        }
        rs.Close();
    }
}

StagedRow* Model::Next() {
    while (next_ < rows_.size() && rows_[next_].handled)
        ++next_;
    return next_ < rows_.size() ? &rows_[next_] : nullptr;
}

// ---- Working a row out ------------------------------------------------------------------

bool Model::Created(const RowPlan& plan, std::int32_t id) const {
    if (createdIds_.count(id))
        return true;
    return std::any_of(plan.created.begin(), plan.created.end(),
                       [id](const CreatedPart& c) { return c.id == id; });
}

std::optional<bool> Model::Exists(const RowPlan& plan, std::int32_t id) const {
    if (Created(plan, id) ||
        std::find(plan.members.begin(), plan.members.end(), id) != plan.members.end())
        return true;
    const auto it = exists_.find(id);
    if (it == exists_.end())
        return std::nullopt;
    return it->second;
}

// The freed ID at the front of the pool when it can be handed out, else the counter's
// next ID when the counter is sound; nothing when the draw needs a repair.
std::optional<std::int32_t> Model::Draw(RowPlan& plan) const {
    const QString counter = Literal(st_.Table("Pta"));
    const std::size_t front = freedFront_ + plan.freedTaken;
    if (front < freed_.size()) {
        const std::optional<std::int32_t> id = CounterID(freed_[front].value, 1);
        if (!id || freed_[front].used || Created(plan, *id))
            return std::nullopt;
        // The removal takes every entry of that number.
        std::size_t taken = 0;
        while (front + taken < freed_.size() && CounterID(freed_[front + taken].value, 1) == id)
            ++taken;
        plan.freedTaken += taken;
        plan.statements.push_back(
            {"Delete From OldID Where NameID = " + counter + " And OldID = " + QString::number(*id),
             CheckedStatement::Check::TouchesRow});
        return id;
    }
    const std::optional<std::int32_t> last = plan.lastID ? plan.lastID : last_;
    if (!last || *last >= kLargestID)
        return std::nullopt;
    const std::int32_t id = *last + 1;
    if ((id <= highest_ && (id > usedUpTo_ || used_.count(id))) || Created(plan, id))
        return std::nullopt;
    plan.statements.push_back({"Update LastID Set LastID = " + QString::number(id) +
                                   " Where NameID = " + counter +
                                   " And LastID = " + QString::number(*last),
                               CheckedStatement::Check::TouchesRow});
    plan.lastID = id;
    return id;
}

std::optional<std::int32_t> Model::FindOrCreate(RowPlan& plan, const SharedValues& shared,
                                                PartRole role, const QString& kind,
                                                const QString& number) const {
    const PartLookup lookup = LookupOf(run_.layout, role, kind, number);
    const std::optional<std::size_t> k = keys_.Find(lookup.kind, lookup.value);
    if (!k || !foundReadable_[*k])
        return std::nullopt;
    std::optional<std::int32_t> found = found_[*k];
    // Parts created before: the lowest ID of those the look-up finds, as the server
    // finds them.
    const std::optional<qint64> valueClass = classes_.Value(lookup.value);
    const std::optional<qint64> kindClass = classes_.Kind(lookup.kind);
    if (!valueClass || !kindClass)
        return std::nullopt;
    std::vector<const CreatedPart*> candidates;
    if (const auto it = createdByClass_.constFind(*valueClass); it != createdByClass_.cend()) {
        for (const std::size_t i : *it)
            candidates.push_back(&created_[i]);
    }
    for (const CreatedPart& c : plan.created) {
        if (c.valueClass == *valueClass)
            candidates.push_back(&c);
    }
    for (const CreatedPart* c : candidates) {
        if (!lookup.kind.isEmpty()) {
            const std::optional<qint64> kind = classes_.Kind(c->kind);
            if (!kind)
                return std::nullopt;
            if (*kind != *kindClass)
                continue;
        }
        found = found ? std::min(*found, c->id) : c->id;
    }
    if (found) {
        plan.members.push_back(*found);
        return found;
    }
    const std::optional<std::int32_t> id = Draw(plan);
    if (!id)
        return std::nullopt;
    const NewPart part = NewPartOf(run_, role, *id, kind, number);
    plan.statements.push_back({PartRowStatement(run_.layout, shared, part)});
    plan.statements.push_back({AltRowStatement(run_.layout, shared, part)});
    const QString value = run_.layout.lookupBySearchNumber ? part.F : part.N;
    const std::optional<qint64> createdClass = classes_.Value(value);
    if (!createdClass)
        return std::nullopt;
    plan.created.push_back({role, *id, part.K, value, *createdClass});
    return id;
}

const std::vector<std::int32_t>* Model::LinksOf(const RowPlan& plan, std::int32_t id) const {
    if (const auto it = plan.altG.find(id); it != plan.altG.end())
        return &it->second;
    const auto it = altG_.find(id);
    return it == altG_.end() ? nullptr : &it->second;
}

const std::vector<std::int32_t>* Model::FactoriesOf(const RowPlan& plan, std::int32_t id) const {
    if (const auto it = plan.facD.find(id); it != plan.facD.end())
        return &it->second;
    const auto it = facD_.find(id);
    return it == facD_.end() ? nullptr : &it->second;
}

// The links SaveAltGFacD writes for the group, from the links and factories the model
// knows: every member linked to every other and carrying the own part's factories.
bool Model::PlanLinks(RowPlan& plan, std::int32_t own, std::int32_t linked,
                      std::int32_t alternate) const {
    const std::vector<std::int32_t>* links = LinksOf(plan, own);
    const std::vector<std::int32_t>* factories = FactoriesOf(plan, own);
    if (!links || !factories)
        return false;
    std::vector<std::int32_t> group{own, linked, alternate};
    for (const std::int32_t alt : *links) {
        const std::optional<bool> exists = Exists(plan, alt);
        if (!exists)
            return false;
        if (*exists) // the reader's join drops links to parts the brand does not hold
            group.push_back(alt);
    }
    const auto groupUB = static_cast<std::int32_t>(group.size());
    ClearDuplicates(group, groupUB);
    std::vector<std::int32_t> fac = *factories;
    const auto facUB = static_cast<std::int32_t>(fac.size());
    ClearDuplicates(fac, facUB);

    const QString altG = st_.Table("AltG");
    const QString facD = st_.Table("FacD");
    std::vector<std::int32_t> kept;
    std::copy_if(fac.begin(), fac.end(), std::back_inserter(kept),
                 [](std::int32_t f) { return f > 0; });
    for (std::int32_t i = 0; i < groupUB; ++i) {
        const std::int32_t m = group[static_cast<std::size_t>(i)];
        if (m <= 0)
            continue;
        for (const QString& statement :
             MemberLinkStatements(altG, facD, group, groupUB, fac, facUB, i))
            plan.statements.push_back({statement});
        std::vector<std::int32_t> others;
        for (std::int32_t j = 0; j < groupUB; ++j) {
            if (j != i && group[static_cast<std::size_t>(j)] > 0)
                others.push_back(group[static_cast<std::size_t>(j)]);
        }
        plan.altG[m] = others.empty() ? std::vector<std::int32_t>{0} : others;
        plan.facD[m] = kept;
        plan.members.push_back(m);
    }
    return true;
}

std::optional<RowPlan> Model::Plan(const StagedRow& row, const SharedValues& shared) const {
    const PartEntry& e = row.entry;
    RowPlan plan;
    const std::optional<std::int32_t> own =
        FindOrCreate(plan, shared, PartRole::Own, e.Kind, e.PartNO);
    if (!own)
        return std::nullopt;
    // The linked and the alternate part where the row names another number, else 0.
    const auto related = [&](PartRole role, const QString& kind,
                             const QString& number) -> std::optional<std::int32_t> {
        if (number.isEmpty() || number == e.PartNO)
            return 0;
        return FindOrCreate(plan, shared, role, kind, number);
    };
    const std::optional<std::int32_t> linkedId = related(PartRole::Linked, e.lKind, e.lAtNO);
    if (!linkedId)
        return std::nullopt;
    const std::optional<std::int32_t> alternateId = related(PartRole::Alternate, e.AKind, e.AltNO);
    if (!alternateId)
        return std::nullopt;
    const std::int32_t linked = *linkedId;
    const std::int32_t alternate = *alternateId;
    if (linked != 0 || alternate != 0) {
        if (!PlanLinks(plan, *own, linked, alternate))
            return std::nullopt;
    } else {
        plan.statements.push_back({"Insert Into " + st_.Table("AltG") + " Values( 0, " +
                                   QString::number(*own) + ", 0 )"});
        if (const std::vector<std::int32_t>* links = LinksOf(plan, *own)) {
            std::vector<std::int32_t> added = *links;
            added.push_back(0);
            plan.altG[*own] = added;
        }
    }
    plan.statements.push_back({StagedRowRemoval(run_, e), CheckedStatement::Check::TouchesRow});
    return plan;
}

void Model::Apply(const RowPlan& plan, const StagedRow& row) {
    for (const CreatedPart& c : plan.created) {
        createdByClass_[c.valueClass].push_back(created_.size());
        created_.push_back(c);
        createdIds_.insert(c.id);
        exists_[c.id] = true;
    }
    for (const std::int32_t m : plan.members)
        exists_[m] = true;
    freedFront_ += plan.freedTaken;
    if (plan.lastID)
        last_ = plan.lastID;
    for (const auto& [id, links] : plan.altG)
        altG_[id] = links;
    for (const auto& [id, factories] : plan.facD)
        facD_[id] = factories;
    // The removal took every staged row of the number (of the kind, where it has one).
    const bool anyKind = row.entry.Kind.isEmpty();
    for (StagedRow& other : rows_) {
        if (anyKind ? other.numberGroup == row.numberGroup : other.kindGroup == row.kindGroup)
            other.handled = true;
    }
}

// ---- Sending the rows ----------------------------------------------------------------

// Rows per call: a few dozen rows' transactions, some two thousand statements at most.
constexpr std::size_t kRowsPerCall = 50;
constexpr std::size_t kStatementsPerCall = 2000;

// The staged rows of an insertion run, worked out by the model and sent a few dozen
// rows' transactions per call. A call the server undid leaves the rows before the
// undone one standing: the model is read afresh and the first row left goes row by row.
class RowsBySet {
public:
    RowsBySet(InsertionRun& run, InsertionProgress& progress)
        : run_(run), st_(run.st), progress_(progress), model_(std::make_unique<Model>(run)) {}

    // False when the first read fails and nothing was done.
    bool Start() {
        if (!model_->Read())
            return false;
        progress_.total = model_->Total();
        return true;
    }

    void Run() {
        while (readable_) {
            StagedRow* row = model_->Next();
            if (!row) {
                if (!Send())
                    continue;
                if (!model_->More())
                    break;
                ReadAfresh();
                continue;
            }
            if (pending_.empty())
                doneBefore_ = progress_.done;
            PartEntry entry = row->entry;
            const SharedValues shared = StartStagedRow(run_, progress_, entry);
            std::optional<RowPlan> plan = model_->Plan(*row, shared);
            if (plan) {
                model_->Apply(*plan, *row);
                statements_ += plan->statements.size();
                pending_.push_back({entry, std::move(*plan)});
                if (pending_.size() >= kRowsPerCall || statements_ >= kStatementsPerCall)
                    Send();
                continue;
            }
            // What the model cannot work out goes row by row, after what it could.
            if (!Send())
                continue;
            InsertStagedRow(run_, entry, shared);
            ReadAfresh();
        }
        // What the set could not read goes row by row, each row read afresh.
        if (!readable_ || model_->Unreadable())
            InsertStagedRowsOneByOne(run_, progress_);
    }

private:
    struct Pending {
        PartEntry entry;
        RowPlan plan;
    };

    void ReadAfresh() {
        model_ = std::make_unique<Model>(run_);
        readable_ = model_->Read();
    }

    void Created(std::size_t rows) {
        for (std::size_t i = 0; st_.observer && i < rows; ++i) {
            for (const CreatedPart& c : pending_[i].plan.created)
                st_.observer->PartCreated(c.role, c.id);
        }
    }

    // True when every pending row was committed; else the rows are taken up again from
    // the one the server undid.
    bool Send() {
        if (pending_.empty())
            return true;
        std::vector<CheckedTransaction> transactions;
        for (const Pending& p : pending_)
            transactions.push_back(p.plan.statements);
        const bool committed = st_.Data().SendChecked(transactions);
        if (committed)
            Created(pending_.size());
        else
            TakeUpUndone();
        pending_.clear();
        statements_ = 0;
        return committed;
    }

    // The rows whose staged rows are gone stand; the first row left goes row by row,
    // meeting there whatever the server refused.
    void TakeUpUndone() {
        ReadAfresh();
        std::size_t committed = 0;
        if (readable_) {
            std::set<std::pair<QString, QString>> staged;
            for (StagedRow* row = model_->Next(); row; row = model_->Following(row))
                staged.insert({row->entry.Kind, row->entry.PartNO});
            while (committed < pending_.size() && !staged.count({pending_[committed].entry.Kind,
                                                                 pending_[committed].entry.PartNO}))
                ++committed;
        }
        Created(committed);
        progress_.done = doneBefore_ + static_cast<std::int32_t>(committed);
        if (!readable_)
            return;
        if (StagedRow* first = model_->Next()) {
            PartEntry entry = first->entry;
            const SharedValues shared = StartStagedRow(run_, progress_, entry);
            InsertStagedRow(run_, entry, shared);
            ReadAfresh();
        }
    }

    InsertionRun& run_;
    RunState& st_;
    InsertionProgress& progress_;
    std::unique_ptr<Model> model_;
    bool readable_ = true;
    std::vector<Pending> pending_;
    std::size_t statements_ = 0;
    std::int32_t doneBefore_ = 0;
};

} // namespace

bool InsertStagedRowsBySet(InsertionRun& run, InsertionProgress& progress) {
    RowsBySet rows(run, progress);
    if (!rows.Start())
        return false;
    rows.Run();
    return true;
}

} // namespace tolvane
