// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Remez_Engine.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Block_Trig.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Interpolation_Kernel.h"
#include "KALTAP_Lagrange_Interpolation.h"
#include "Parallel_Work.h"
#include "Program_Stop.h"
#include "Progress.h"
#include "Run_Logging.h"
#include "Unit_IO.h"

namespace {

constexpr double Two_Pi = 6.283185307179586476925286766559;
constexpr double End_Point_Margin = 1.00001;  // an end point must beat the level by this factor

int Last_Iterations = 0;
KALTAP_Exchange_End Last_End = KALTAP_Exchange_End::Converged;

// Grid cosines and the per-pass cache of the interpolated approximation. The
// state of point L is Pass_Number*4 + one of the marks below; a state from an
// earlier pass counts as not computed.
std::vector<double> Grid_Cosine;   // index L-1
std::vector<double> Cached_Value;  // G(L) of the current pass
std::unique_ptr<std::atomic<std::uint64_t>[]> Point_State;
std::size_t Point_State_Size = 0;
std::uint64_t Pass_Number = 0;
constexpr std::uint64_t Computing = 1, Computed = 2;
bool Ahead_Running = false;  // set by the search while the other core works ahead of it

// Sets from this size get the other core's help during each search pass.
// Smaller sets finish a pass in a few milliseconds at most, about what the
// other core can take to come back when the machine is loaded; they gain
// little even on an idle one.
constexpr int Work_Ahead_Points = 1024;

// Working variables of one exchange, shared by the search and its climbs.
struct Exchange {
    int n = 0, NZ = 0, NZZ = 0, NGRID = 0;
    double DEV = 0.0;
    int s = 1;
    int J = 0, L = 0, KLOW = 0, KUP = 0, NUT = 1, JCHNGE = 0;
    double COMP = 0.0, Y1 = 0.0;

    // G(L): the approximation at grid point L, computed once per pass by
    // whichever thread claims it first (the search or the other core working
    // ahead of it). G, ERR and the climbs are inlined into the search, which
    // is built for each instruction set with the interpolation kernel inside
    // it.
    KALTAP_INLINE double G(int L) {
        if (!Ahead_Running) {
            // Only this thread touches the cache: no need to claim points.
            std::atomic<std::uint64_t>& state = Point_State[L - 1];
            const std::uint64_t done = Pass_Number * 4 + Computed;
            if (state.load(std::memory_order_relaxed) == done) return Cached_Value[L - 1];
            double g = NZ < KALTAP_Split_Points ? kaltap_interpolation::value_at(Grid_Cosine[L - 1], NZ)
                                                : KALTAP_Interpolate_At_Cosine(Grid_Cosine[L - 1], NZ);
            Cached_Value[L - 1] = g;
            state.store(done, std::memory_order_relaxed);
            return g;
        }
        double g;
        G_at(L, NZ, Pass_Number, false, g);
        return g;
    }

    // G(L) of pass `pass` into g, claiming the point. The search (ahead
    // false) always gets the value: a point the other core is computing it
    // computes again itself (same routine, same data) rather than wait for a
    // thread that may be off its core. The other core (ahead true) gets false
    // for a point the search has in hand.
    static bool G_at(int L, int NZ, std::uint64_t pass, bool ahead, double& g) {
        std::atomic<std::uint64_t>& state = Point_State[L - 1];
        const std::uint64_t base = pass * 4;
        for (;;) {
            std::uint64_t s = state.load(std::memory_order_acquire);
            if (s == base + Computed) {
                g = Cached_Value[L - 1];
                return true;
            }
            if (s == base + Computing) {
                if (ahead) return false;
                g = KALTAP_Interpolate_At_Cosine(Grid_Cosine[L - 1], NZ);
                return true;
            }
            if (state.compare_exchange_strong(s, base + Computing, std::memory_order_acq_rel)) {
                g = KALTAP_Interpolate_At_Cosine(Grid_Cosine[L - 1], NZ);
                Cached_Value[L - 1] = g;
                state.store(base + Computed, std::memory_order_release);
                return true;
            }
        }
    }

    // Signed error at L, rounded to single precision.
    KALTAP_INLINE double ERR(int L) {
        // NUT is +1 or -1, so taking it into the weight first changes no bit
        // and keeps one multiplication off the wait for G.
        double e = (G(L) - Grid_Desired(L)) * (NUT * Grid_Weight(L));
        return static_cast<double>(static_cast<float>(e));
    }

    // From L, where ERR(L) = e > COMP, climb upwards while the error grows.
    KALTAP_INLINE void climb_up(double e) {
        for (;;) {
            COMP = e;
            L = L + 1;
            if (L >= KUP) break;
            e = ERR(L);
            if (!(e > COMP)) break;
        }
        Extremal_Index(J) = L - 1;
        KLOW = L - 1;
        JCHNGE = 1;
    }

    // From L, where ERR(L) = e > COMP, climb downwards while the error grows.
    KALTAP_INLINE void climb_down(double e) {
        int old = Extremal_Index(J);
        for (;;) {
            COMP = e;
            L = L - 1;
            if (L <= KLOW) break;
            e = ERR(L);
            if (!(e > COMP)) break;
        }
        KLOW = old;
        Extremal_Index(J) = L + 1;
        JCHNGE = 1;
    }

    KALTAP_SIMD_CLONES void search();
    void level(int NITER);
};

// Work ahead of the search on the other core. Once a point has moved in a
// pass (as in nearly every pass but the last), the points the search looks
// at for slot J follow from the set at the start of the pass alone: it
// starts from COMP = DEV, climbs up from IEXT(J)+1 while the error grows
// (below IEXT(J+1), which has not moved yet), and failing that looks at
// IEXT(J)-1 and climbs down from there, above KLOW, which is where slot J-1
// climbed up to, or else IEXT(J-1). The other core follows those same steps
// for the slots from the top down, computing the points the search will look
// at, until it meets the search coming up. While nothing has moved yet the
// search scans whole intervals, of which these points are the first; the one
// point it may then skip is IEXT(J)-1, when its scan of slot J-1 climbs up
// to just below it, which is rare. So the other core does next to no work
// that is thrown away, and the search never waits for a point (at the end of
// the pass it waits only for one the other core is computing, and not at all
// when that core has not started). It reads a copy of the set taken at the
// start of the pass, and stops at a point the search has in hand.
struct Work_Ahead {
    std::vector<int> set;  // IEXT(1..NZ+1) at the start of the pass, index j-1
    int NZ = 0, s = 1;
    double DEV = 0.0;
    std::uint64_t pass = 0;
    std::atomic<int> search_slot{0};  // the slot the search works on
    std::atomic<bool> stop{false};

    static void run(void* context) { static_cast<Work_Ahead*>(context)->work(); }

    void work() {
        for (int J = NZ; J >= 1; --J) {
            if (stop.load(std::memory_order_relaxed) || J <= search_slot.load(std::memory_order_relaxed) + 1) return;
            if (!slot(J)) return;
        }
    }

    // The search's ERR(L) in slot J (sign NUT = s * (-1)^J); false when the
    // search has the point in hand.
    bool error(int L, int J, double& e) const {
        double g;
        if (!Exchange::G_at(L, NZ, pass, true, g)) return false;
        const int NUT = J % 2 ? -s : s;
        e = static_cast<double>(static_cast<float>((g - Grid_Desired(L)) * (NUT * Grid_Weight(L))));
        return true;
    }

    // The upward climb of slot J: where it ends (the search's KLOW for slot
    // J+1), or 0 when the first step up does not climb; -1 when stopped.
    int climb_up(int J) const {
        const int KUP = set[J];
        int L = set[J - 1] + 1;
        double COMP = DEV, e;
        if (L >= KUP) return 0;
        if (!error(L, J, e)) return -1;
        if (!(e > COMP)) return 0;
        for (;;) {
            COMP = e;
            L = L + 1;
            if (L >= KUP) break;
            if (!error(L, J, e)) return -1;
            if (!(e > COMP)) break;
        }
        return L - 1;
    }

    // The points of slot J; false when stopped.
    bool slot(int J) const {
        const int up = climb_up(J);
        if (up != 0) return up > 0;
        int KLOW = 0;
        if (J > 1) {
            KLOW = climb_up(J - 1);
            if (KLOW < 0) return false;
            if (KLOW == 0) KLOW = set[J - 2];
        }
        int L = set[J - 1] - 1;
        double COMP = DEV, e;
        if (L <= KLOW) return true;
        if (!error(L, J, e)) return false;
        while (e > COMP) {
            COMP = e;
            L = L - 1;
            if (L <= KLOW) break;
            if (!error(L, J, e)) return false;
        }
        return true;
    }
};

// Level the error on the current set: deviation, signs and the values the
// approximation takes on the set.
void Exchange::level(int NITER) {
    Array1<int>& IEXT = Extremal_Index;
    for (int j = 1; j <= NZ; ++j) Extremal_Cosine(j) = Grid_Cosine[IEXT(j) - 1];
    const int JET = (n - 1) / 15 + 1;
    KALTAP_Barycentric_Weights(NZ, JET);
    double DNUM = 0.0, DDEN = 0.0;
    int k = 1;
    for (int j = 1; j <= NZ; ++j) {
        int l = IEXT(j);
        DNUM += Barycentric_Weight(j) * Grid_Desired(l);
        DDEN += (k * Barycentric_Weight(j)) / Grid_Weight(l);
        k = -k;
    }
    DEV = DNUM / DDEN;
    if (!Quiet_Remez) {
        // F12.9, widened for a deviation of 100 or more rather than asterisks.
        constexpr int Width = 12, Decimals = 9;
        Number_Buffer = FMT_Trim(FMT_Fixed(DEV, FMT_Fixed_Width(DEV, Width, Decimals), Decimals));
        RUN_LOG_write("Iteration " + FMT_Free(NITER) + ", Signed Remez deviation = " + Number_Buffer);
    }
    s = DEV > 0.0 ? 1 : -1;
    DEV = std::fabs(DEV);
    Remez_Deviation = DEV;
    k = -s;
    for (int j = 1; j <= NZ; ++j) {
        int l = IEXT(j);
        Extremal_Value(j) = Grid_Desired(l) + (k * DEV) / Grid_Weight(l);
        k = -k;
    }
}

// One search pass for the new extremal set, with the end searches.
void Exchange::search() {
    Array1<int>& IEXT = Extremal_Index;
    ++Pass_Number;
    const int k1 = IEXT(1), knz = IEXT(NZ);
    KLOW = 0;
    JCHNGE = 0;
    NUT = s;

    Work_Ahead ahead;
    bool working_ahead = false;
    if (NZ >= Work_Ahead_Points && KALTAP_Parallel_Threads() >= 2) {
        ahead.set.assign(IEXT.at(1), IEXT.at(1) + NZ + 1);
        ahead.NZ = NZ;
        ahead.s = s;
        ahead.DEV = DEV;
        ahead.pass = Pass_Number;
        working_ahead = KALTAP_Background_Start(Work_Ahead::run, &ahead);
        Ahead_Running = working_ahead;
    }
    for (J = 1; J <= NZ; ++J) {
        if (working_ahead) ahead.search_slot.store(J, std::memory_order_relaxed);
        KUP = IEXT(J + 1);
        L = IEXT(J) + 1;
        NUT = -NUT;
        if (J == 2) Y1 = COMP;
        COMP = DEV;
        // Upwards from the current point.
        if (L < KUP) {
            double e = ERR(L);
            if (e > COMP) {
                climb_up(e);
                continue;
            }
        }
        // Downwards from the current point.
        bool settled = false;
        L = IEXT(J) - 1;
        while (L > KLOW) {
            double e = ERR(L);
            if (e > COMP) {
                climb_down(e);
                settled = true;
                break;
            }
            if (JCHNGE != 0) {
                KLOW = IEXT(J);
                settled = true;
                break;
            }
            L = L - 1;
        }
        if (settled) continue;
        if (JCHNGE != 0) {
            KLOW = IEXT(J);
            continue;
        }
        // Nothing moved yet: scan the rest of the way up to the next point.
        bool found = false;
        for (L = IEXT(J) + 2; L <= KUP - 1; ++L) {
            double e = ERR(L);
            if (e > COMP) {
                climb_up(e);
                found = true;
                break;
            }
        }
        if (!found) KLOW = IEXT(J);
    }

    if (working_ahead) {
        ahead.stop.store(true);
        KALTAP_Background_Join();
        Ahead_Running = false;
    }

    // End searches: new extrema below or above the current set.
    int K1 = k1 < IEXT(1) ? k1 : IEXT(1);
    const int KNZ = knz > IEXT(NZ) ? knz : IEXT(NZ);
    int LUCK = 6;
    const int NUT_above = -NUT;
    NUT = s;
    COMP = COMP * End_Point_Margin;

    // Below the first point.
    const int below_bound = K1 - 1;
    J = NZZ;
    KUP = K1;
    for (L = 1; L <= below_bound;) {
        double e = ERR(L);
        if (e > COMP) {
            LUCK = 1;
            climb_up(e);
            K1 = IEXT(NZZ);
            if (COMP > Y1) Y1 = COMP;
            continue;
        }
        L = L + 1;
    }

    // Above the last point.
    NUT = NUT_above;
    KLOW = KNZ;
    COMP = Y1 * End_Point_Margin;
    int upper = 0;
    for (L = NGRID; L >= KNZ + 1;) {
        double e = ERR(L);
        if (e > COMP) {
            LUCK = 10;
            climb_down(e);
            upper = IEXT(NZZ);
            continue;
        }
        L = L - 1;
    }

    if (LUCK == 10) {
        for (int j = 1; j <= n; ++j) IEXT(j) = IEXT(j + 1);
        IEXT(NZ) = upper;
    } else if (LUCK == 1) {
        for (int j = n; j >= 1; --j) IEXT(j + 1) = IEXT(j);
        IEXT(1) = K1;
    }
}

// An exchange that writes nothing at all (the engine's own trial runs).
bool Silent = false;
struct Silent_Scope {
    bool saved_silent, saved_quiet;
    explicit Silent_Scope(bool silent) : saved_silent(Silent), saved_quiet(Quiet_Remez) {
        Silent = silent;
        if (silent) Quiet_Remez = true;
    }
    ~Silent_Scope() {
        Silent = saved_silent;
        Quiet_Remez = saved_quiet;
    }
};

// A line of the exchange's own account in the run log, beside its iteration
// lines (none while Quiet_Remez is set).
void log_exchange(const std::string& line) {
    if (!Quiet_Remez) RUN_LOG_write(line);
}

}  // namespace

int KALTAP_Remez_Iterations() { return Last_Iterations; }
bool KALTAP_Remez_Past_Limit() { return Last_Iterations > KALTAP_Remez_Iteration_Limit; }
KALTAP_Exchange_End KALTAP_Remez_End() { return Last_End; }

KALTAP_Exchange_Outcome KALTAP_Remez_Outcome() { return {Last_End, Last_Iterations}; }

void KALTAP_Remez_Restore_Outcome(const KALTAP_Exchange_Outcome& outcome) {
    Last_End = outcome.end;
    Last_Iterations = outcome.iterations;
}

void KALTAP_Remez_Prepare_Grid() {
    const int NGRID = Grid_Size;
    if (static_cast<int>(Grid_Cosine.size()) < NGRID) {
        Grid_Cosine.resize(static_cast<std::size_t>(NGRID));
        Cached_Value.resize(static_cast<std::size_t>(NGRID));
    }
    if (Point_State_Size < static_cast<std::size_t>(NGRID)) {
        Point_State_Size = static_cast<std::size_t>(NGRID);
        Point_State.reset(new std::atomic<std::uint64_t>[Point_State_Size]);
        for (std::size_t i = 0; i < Point_State_Size; ++i) Point_State[i].store(0);
        Pass_Number = 0;
    }
    std::vector<double> argument(static_cast<std::size_t>(NGRID));
    for (int L = 1; L <= NGRID; ++L) argument[L - 1] = Two_Pi * Grid_Frequency(L);
    KALTAP_Parallel_For(0, (NGRID - 1) / KALTAP_Trig_Block, 8, [&](int lo, int hi) {
        for (int b = lo; b <= hi; ++b) {
            int first = b * KALTAP_Trig_Block;
            int count = NGRID - first < KALTAP_Trig_Block ? NGRID - first : KALTAP_Trig_Block;
            KALTAP_Cos_Block(argument.data() + first, Grid_Cosine.data() + first, count);
        }
    });
    // A new grid invalidates every cached value: the next pass number has
    // never been used with it.
    ++Pass_Number;
}

void KALTAP_Remez_Exchange(KALTAP_Exchange_Start start, bool silent) {
    // The search hands out one short piece of work per grid point.
    KALTAP_Busy_Stretch busy;
    Silent_Scope quiet(silent);
    Exchange x;
    x.n = Half_Length;
    x.NZ = x.n + 1;
    x.NZZ = x.n + 2;
    x.NGRID = Grid_Size;
    Array1<int>& IEXT = Extremal_Index;

    // Initial set: spread evenly over the grid, last point on the last grid point.
    if (start == KALTAP_Exchange_Start::Even_Spread) {
        const double T = static_cast<double>(x.NGRID - 1) / x.n;
        for (int j = 1; j <= x.n; ++j) IEXT(j) = static_cast<int>(T * (j - 1) + 1.0);
        IEXT(x.NZ) = x.NGRID;
    }
    int NITER = 1;
    double DEVL = -1.0;

    for (;;) {
        KALTAP_Check_Stop();        // the window layer may be quitting
        IEXT(x.NZZ) = x.NGRID + 1;  // sentinel for the search
        x.level(NITER);
        Last_Iterations = NITER;
        // A deviation that is not finite (the levelling overflowed or
        // cancelled to 0/0) makes every error NaN: no point can move, so a
        // search pass over the whole grid would change nothing. The engine
        // sees the deviation and reports the failed design.
        if (!std::isfinite(x.DEV)) {
            Last_End = KALTAP_Exchange_End::Not_Finite;
            return;
        }
        if (KALTAP_Progress_Wanted())
            KALTAP_Report_Step("exchange iteration " + FMT_Free(NITER) + ", deviation " +
                               KALTAP_Progress_Value(std::fabs(x.DEV)));
        if (x.DEV <= DEVL) {
            Last_End = KALTAP_Exchange_End::Rounding_Floor;
            if (!Silent) {
                UNIT_Write(UNIT_Standard_Output, "###Deviation decrease!");
                RUN_LOG_write("************ Failure to converge **********");
                RUN_LOG_write("Probable cause is machine rounding error.  Number of iterations = " + FMT_Free(NITER));
                RUN_LOG_write("If the number of iterations exceeds 3, the design may be correct,");
                RUN_LOG_write("but should be verified by checking the frequency response.");
            }
            x.search();
            return;
        }
        DEVL = x.DEV;
        x.search();
        if (x.JCHNGE == 0) {
            Last_End = KALTAP_Exchange_End::Converged;
            if (NITER > KALTAP_Remez_Iteration_Limit)
                log_exchange("Converged after " + FMT_Free(NITER) + " iterations, past the limit of " +
                             FMT_Free(KALTAP_Remez_Iteration_Limit) + ".");
            return;
        }
        NITER = NITER + 1;
        // Every levelling so far raised the deviation (one that did not has
        // ended the exchange above): an exchange at its limit is still making
        // progress, so it goes on until the continuation limit ends it.
        if (NITER > KALTAP_Remez_Continuation_Limit) {
            Last_End = KALTAP_Exchange_End::Iteration_Limit;
            log_exchange("Stopped after " + FMT_Free(KALTAP_Remez_Continuation_Limit) +
                         " iterations with the deviation still rising.");
            return;
        }
        if (NITER == KALTAP_Remez_Iteration_Limit + 1)
            log_exchange("The deviation still rises after " + FMT_Free(KALTAP_Remez_Iteration_Limit) +
                         " iterations: the exchange goes on, for at most " + FMT_Free(KALTAP_Remez_Continuation_Limit) +
                         " in all.");
    }
}
