#include "ui/plandoc.h"

#include <vector>

namespace kestrun {

namespace {

// What the user sets on a waypoint; the rest is computed from it by CalcPlan.
bool SameInputs(const TWayPoint& a, const TWayPoint& b) {
    return a.Name == b.Name && a.Pos == b.Pos && a.BeaconIndex == b.BeaconIndex &&
           a.BeaconPos == b.BeaconPos && a.MagDecl == b.MagDecl;
}

} // namespace

/// A change of the plan; redo and undo leave the plan recomputed and announced.
class TPlanCommand : public QUndoCommand {
public:
    explicit TPlanCommand(TPlanDocument& doc) : Doc(doc) {}

protected:
    void Recomputed() {
        Doc.Plan.CalcPlan();
        emit Doc.Changed();
    }
    TPlanDocument& Doc;
};

namespace {

// Waypoints [First, First + size) as they were before and after the change: a name, a position,
// a beacon, or every leg's beacon at once.
class TWayPointsCommand : public TPlanCommand {
public:
    TWayPointsCommand(TPlanDocument& doc, int first, std::vector<TWayPoint> before,
                      std::vector<TWayPoint> after)
        : TPlanCommand(doc), First(first), Before(std::move(before)), After(std::move(after)) {}
    void redo() override { Put(After); }
    void undo() override { Put(Before); }

private:
    void Put(const std::vector<TWayPoint>& points) {
        for (std::size_t i = 0; i < points.size(); ++i)
            Doc.Plan[First + static_cast<int>(i)] = points[i];
        Recomputed();
    }
    int First;
    std::vector<TWayPoint> Before, After;
};

// A waypoint inserted at Index (Insert) or removed from there; the waypoint is kept for the way
// back.
class TRowCommand : public TPlanCommand {
public:
    TRowCommand(TPlanDocument& doc, int index, const TWayPoint& point, bool insert)
        : TPlanCommand(doc), Index(index), Point(point), Insert(insert) {}
    void redo() override { Insert ? Add() : Remove(); }
    void undo() override { Insert ? Remove() : Add(); }

private:
    void Add() {
        emit Doc.AboutToInsert(Index);
        Doc.Plan.InsertWayPoint(Index, Point);
        emit Doc.Inserted();
        emit Doc.Changed();
    }
    void Remove() {
        emit Doc.AboutToRemove(Index);
        Doc.Plan.DeleteWayPoint(Index + 1);
        Doc.Plan.CalcPlan();
        emit Doc.Removed();
        emit Doc.Changed();
    }
    int Index;
    TWayPoint Point;
    bool Insert;
};

class TSupPointCommand : public TPlanCommand {
public:
    TSupPointCommand(TPlanDocument& doc, TSupPointKind before, TSupPointKind after)
        : TPlanCommand(doc), Before(before), After(after) {}
    void redo() override { Put(After); }
    void undo() override { Put(Before); }

private:
    void Put(TSupPointKind kind) {
        Doc.Plan.SupPoint = kind;
        Recomputed();
    }
    TSupPointKind Before, After;
};

} // namespace

TPlanDocument::TPlanDocument(TWayPointList& plan, QObject* parent) : QObject(parent), Plan(plan) {}

void TPlanDocument::Push(TPlanCommand* command) {
    Stack.push(command);
}

void TPlanDocument::SetName(int number, std::string_view name) {
    TWayPoint after = Plan.GetWayPoint(number);
    after.SetName(name);
    if (SameInputs(after, Plan.GetWayPoint(number))) return;
    Push(new TWayPointsCommand(*this, number - 1, {Plan.GetWayPoint(number)}, {after}));
}

void TPlanDocument::SetPos(int number, const TGeoPoint& pos) {
    TWayPoint after = Plan.GetWayPoint(number);
    after.SetPos(pos); // looks up the declination, which may raise: then nothing changes
    if (SameInputs(after, Plan.GetWayPoint(number))) return;
    Push(new TWayPointsCommand(*this, number - 1, {Plan.GetWayPoint(number)}, {after}));
}

void TPlanDocument::SetBeacon(int number, int beacon) {
    TWayPoint after = Plan.GetWayPoint(number);
    after.SetBeacon(beacon);
    if (SameInputs(after, Plan.GetWayPoint(number))) return;
    Push(new TWayPointsCommand(*this, number - 1, {Plan.GetWayPoint(number)}, {after}));
}

void TPlanDocument::InsertWayPoint(int index) {
    Push(new TRowCommand(*this, index, TWayPoint(&Plan), true));
}

void TPlanDocument::DeleteWayPoint(int number) {
    if (Plan.Count() < 2) return;
    Push(new TRowCommand(*this, number - 1, Plan.GetWayPoint(number), false));
}

void TPlanDocument::AppendWayPoint() {
    InsertWayPoint(Plan.Count());
}

void TPlanDocument::SetSupPoint(TSupPointKind kind) {
    if (kind == Plan.SupPoint) return;
    Push(new TSupPointCommand(*this, Plan.SupPoint, kind));
}

bool TPlanDocument::AutoSelectBeacons(const TProgress& progress) {
    std::vector<TWayPoint> before, after;
    for (int i = 0; i < Plan.Count(); ++i) before.push_back(Plan[i]);
    if (!Plan.AutoSelectBeacons(progress)) return false;
    bool same = true;
    for (int i = 0; i < Plan.Count(); ++i) {
        after.push_back(Plan[i]);
        same = same && SameInputs(before.back(), after.back());
    }
    if (same) return true;
    Push(new TWayPointsCommand(*this, 0, std::move(before), std::move(after)));
    return true;
}

void TPlanDocument::BeginReplace() {
    emit AboutToReset();
}

void TPlanDocument::EndReplace(bool replaced, bool saved) {
    if (replaced) {
        Plan.CalcPlan();
        Stack.clear();
        if (!saved) Stack.resetClean();
    }
    emit ResetDone();
    emit Changed();
}

void TPlanDocument::Recompute() {
    Plan.CalcPlan();
    Stack.clear();
    Stack.resetClean();
    emit Changed();
}

} // namespace kestrun
