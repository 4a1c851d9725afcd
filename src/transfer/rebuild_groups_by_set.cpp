#include "data/recordset.h"
#include "data/run_state.h"
#include "parts/alt_links.h"
#include "text/error.h"
#include "text/integer_value.h"
#include "transfer/rebuild_groups.h"

#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tolvane {

namespace {

// Statements per call: a call of some hundred kilobytes.
constexpr std::size_t kStatementsPerCall = 2000;

// The 32-bit ID in field `index` of the current row, converted as Recordset::Long does
// (which also raises for Null or a value that does not fit).
std::int32_t IdAt(const Recordset& rs, int index, const QString& name) {
    const std::optional<std::int64_t> whole = IntegerValue(rs.FieldAt(index));
    if (whole && *whole >= std::numeric_limits<std::int32_t>::min() &&
        *whole <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(*whole);
    return rs.Long(name);
}

using Ids = std::vector<std::int32_t>;

// The queue, the links and the factories as the passes statement by statement would
// read them. A pass rewrites the rows of its members only, and every member leaves the
// queue in that pass: so every head's links and factories are still those read at the
// start, and only the queue changes from pass to pass.
class Model {
public:
    explicit Model(RunState& st) : st_(st) {}

    // Reads the queue and, when it holds an entry, the links and factories. Raises
    // Error when a read fails.
    void Read();
    // The next head: nothing when the queue is empty; `readable` false when the entry
    // the database returns first holds no ID the model can read.
    bool Next(std::int32_t& head, bool& readable);
    // The transaction of the pass of `head`; its members leave the queue.
    CheckedTransaction Plan(std::int32_t head);

private:
    void ReadQueue();
    void ReadPairs(const QString& sql, const QString& value,
                   std::unordered_map<std::int32_t, Ids>& into);

    RunState& st_;
    std::vector<std::optional<std::int32_t>> queue_; // in the database's order
    std::size_t front_ = 0;
    std::unordered_set<std::int32_t> dequeued_;     // every queue row of these is gone
    std::unordered_map<std::int32_t, Ids> links_;   // LoadAltG's rows of each part
    std::unordered_map<std::int32_t, Ids> factories_; // LoadFacD's rows of each part
};

void Model::Read() {
    ReadQueue();
    if (queue_.empty())
        return;
    const QString pta = st_.Table("Pta");
    const QString altG = st_.Table("AltG");
    const QString facD = st_.Table("FacD");
    // The joins of the two readers, for every part at once: links to parts the brand
    // does not hold and factories Fac does not hold are left out as the readers leave
    // them out.
    ReadPairs("Select g.PartID, p.PartID As Linked From " + altG + " g Inner Join " + pta +
                  " p On g.AltID = p.PartID",
              QStringLiteral("Linked"), links_);
    ReadPairs("Select f.PartID, c.FacID From " + facD + " f Inner Join Fac c On f.FacID = c.FacID",
              QStringLiteral("FacID"), factories_);
}

// The statement each pass opens the queue with, read to its end: the order it gives is
// the order the passes would take their heads in.
void Model::ReadQueue() {
    Recordset rs;
    rs.Open(QStringLiteral("Select PartID From AltGX"), st_.Data(), Recordset::adOpenForwardOnly);
    const QString name = QStringLiteral("PartID");
    const int column = rs.Eof() ? 0 : rs.FieldIndex(name);
    for (; !rs.Eof(); rs.MoveNext()) {
        std::optional<std::int32_t> id;
        try {
            id = IdAt(rs, column, name);
        } catch (const Error&) {
        }
        queue_.push_back(id);
    }
    rs.Close();
}

// Rows of (PartID, `value`) by PartID; rows without a PartID are no part's.
void Model::ReadPairs(const QString& sql, const QString& value,
                      std::unordered_map<std::int32_t, Ids>& into) {
    Recordset rs;
    rs.Open(sql, st_.Data(), Recordset::adOpenForwardOnly);
    if (!rs.Eof()) {
        const QString part = QStringLiteral("PartID");
        const int partColumn = rs.FieldIndex(part);
        const int valueColumn = rs.FieldIndex(value);
        for (; !rs.Eof(); rs.MoveNext()) {
            if (!rs.FieldAt(partColumn).isNull())
                into[IdAt(rs, partColumn, part)].push_back(IdAt(rs, valueColumn, value));
        }
    }
    rs.Close();
}

bool Model::Next(std::int32_t& head, bool& readable) {
    while (front_ < queue_.size() && queue_[front_] && dequeued_.count(*queue_[front_]))
        ++front_;
    if (front_ == queue_.size())
        return false;
    readable = queue_[front_].has_value();
    if (readable)
        head = *queue_[front_];
    return true;
}

// SaveAltGFacD(head, 0, 0) and the queue deletions of the pass, as RebuildNextGroup
// sends them.
CheckedTransaction Model::Plan(std::int32_t head) {
    CheckedTransaction pass;
    const auto found = links_.find(head);
    const Ids alternates = found == links_.end() ? Ids{} : found->second;
    Ids group{head, 0, 0};
    group.insert(group.end(), alternates.begin(), alternates.end());
    const auto groupUB = static_cast<std::int32_t>(group.size());
    ClearDuplicates(group, groupUB);
    const auto factoriesFound = factories_.find(head);
    Ids factories = factoriesFound == factories_.end() ? Ids{} : factoriesFound->second;
    const auto facUB = static_cast<std::int32_t>(factories.size());
    ClearDuplicates(factories, facUB);

    const QString altG = st_.Table("AltG");
    const QString facD = st_.Table("FacD");
    for (std::int32_t i = 0; i < groupUB; ++i) {
        if (group[static_cast<std::size_t>(i)] <= 0)
            continue;
        for (const QString& statement :
             MemberLinkStatements(altG, facD, group, groupUB, factories, facUB, i))
            pass.push_back({statement});
    }
    // The head leaves the queue whatever its ID (see Dequeue), the alternates it had
    // when the pass began where they are real IDs. The head's row must still be there.
    const auto dequeue = [&](std::int32_t id, CheckedStatement::Check check) {
        pass.push_back({"Delete From AltGX Where PartID = " + QString::number(id), check});
        dequeued_.insert(id);
    };
    dequeue(head, CheckedStatement::Check::TouchesRow);
    for (const std::int32_t id : alternates) {
        if (id > 0)
            dequeue(id, CheckedStatement::Check::None);
    }
    return pass;
}

// The passes sent a call at a time; a call the server undid is taken up afresh.
class PassesBySet {
public:
    explicit PassesBySet(RunState& st) : st_(st) {}

    // False when the first read fails.
    bool Start() { return ReadAfresh(); }

    void Run() {
        while (model_) {
            std::int32_t head = 0;
            bool readable = true;
            if (!model_->Next(head, readable)) {
                if (!Send())
                    continue;
                // Whatever the queue holds now (nothing, unless another program filled it).
                if (!ReadAfresh() || Empty())
                    break;
                continue;
            }
            if (!readable) {
                // The pass statement by statement meets the value and raises its error.
                if (Send())
                    OneByOne();
                continue;
            }
            st_.window.Yield();
            st_.window.SetTxtPartNO(QString::number(head));
            CheckedTransaction pass = model_->Plan(head);
            statements_ += pass.size();
            pending_.push_back(std::move(pass));
            if (statements_ >= kStatementsPerCall)
                Send();
        }
        // A read the set could not make: what is left goes pass by pass.
        if (!model_) {
            while (RebuildNextGroup(st_)) {
            }
            st_.rsList.Close();
        }
    }

private:
    bool Empty() {
        std::int32_t head = 0;
        bool readable = true;
        return !model_->Next(head, readable);
    }

    bool ReadAfresh() {
        model_ = std::make_unique<Model>(st_);
        try {
            model_->Read();
        } catch (const Error&) {
            model_.reset();
            return false;
        }
        return true;
    }

    // True when every pending pass was committed; else the passes before the one the
    // server undid stand, and the queue's first head then goes statement by statement.
    bool Send() {
        if (pending_.empty())
            return true;
        const bool committed = st_.Data().SendChecked(pending_);
        pending_.clear();
        statements_ = 0;
        if (!committed)
            OneByOne();
        return committed;
    }

    // The next pass statement by statement, then the rest read afresh.
    void OneByOne() {
        RebuildNextGroup(st_);
        st_.rsList.Close();
        ReadAfresh();
    }

    RunState& st_;
    std::unique_ptr<Model> model_;
    std::vector<CheckedTransaction> pending_;
    std::size_t statements_ = 0;
};

} // namespace

bool RebuildGroupsBySet(RunState& st) {
    PassesBySet passes(st);
    if (!passes.Start())
        return false;
    passes.Run();
    return true;
}

} // namespace tolvane
