// The plan as the desktop program edits it: every change the user makes is a command on one
// undo stack, recomputed at once, and announced to the grids' models and the window. Nothing
// else changes the plan while the windows are up, so that the grids, the totals and the
// modified mark always agree with the waypoints.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <string>

#include "plan/fltpln.h"

namespace kestrun {

class TPlanDocument : public QObject {
    Q_OBJECT
public:
    explicit TPlanDocument(TWayPointList& plan, QObject* parent = nullptr);

    TWayPointList& Plan;
    QUndoStack Stack;

    // The user's changes. Each is one command on the stack (a change to what already stands is
    // none); numbers are 1-based, an index 0-based. Each recomputes the plan and says Changed.
    void SetName(int number, std::string_view name);
    void SetPos(int number, const TGeoPoint& pos);
    /// Beacon `beacon` of the beacon list for the leg of waypoint `number` (-1: none).
    void SetBeacon(int number, int beacon);
    void InsertWayPoint(int index);
    /// Refused (no command) when the plan has a single waypoint.
    void DeleteWayPoint(int number);
    void AppendWayPoint();
    void SetSupPoint(TSupPointKind kind);
    /// False, and no command, when `progress` cancelled the choice.
    bool AutoSelectBeacons(const TProgress& progress = {});

    /// Replaces the whole plan by what `fill` leaves in it (an import, an opened file, a new
    /// plan), recomputes it and forgets the undo history. A plan that only exists in memory
    /// counts as modified (saved = false), one just read from or written to its file not.
    /// When `fill` raises, the error goes on to the caller and the history stays.
    template <class F> void Replace(F&& fill, bool saved) {
        BeginReplace();
        try {
            fill();
        } catch (...) {
            EndReplace(false, false);
            throw;
        }
        EndReplace(true, saved);
    }
    /// Recomputes the plan in place (the beacon database or the declination grid changed
    /// under it); the history is forgotten since it names beacons by their place in the list,
    /// and the plan counts as modified.
    void Recompute();
    /// The plan was written to its file.
    void MarkSaved() { Stack.setClean(); }
    bool Modified() const { return !Stack.isClean(); }

signals:
    /// Every value of the plan may have changed (it was recomputed).
    void Changed();
    void AboutToInsert(int index);
    void Inserted();
    void AboutToRemove(int index);
    void Removed();
    void AboutToReset();
    void ResetDone();

private:
    friend class TPlanCommand;
    void BeginReplace();
    void EndReplace(bool replaced, bool saved);
    void Push(class TPlanCommand* command);
};

} // namespace kestrun
