#include "game/match_frame.h"

#include "game/match_rules.h"

void Match_End_Rules(Match& match, bool on_match_screen) {
    Match_End& end = match.end;
    end.state = END_NONE;
    switch (match.mode_family) {
        case FAMILY_TIMED:
            switch (Timed_End_Rule(match, on_match_screen, end.ranking)) {
                case TIMED_END_SUDDEN_DEATH: end.state = END_SUDDEN_DEATH; break;
                case TIMED_END_FINISHED: end.state = END_RANKED; break;
                default: break;
            }
            break;
        case FAMILY_COUNTDOWN:
            if (Countdown_End_Rule(match, on_match_screen, end.ranking)) end.state = END_RANKED;
            break;
        case FAMILY_HIGH_SCORE:
            if (High_Score_End_Rule(match, on_match_screen)) end.state = END_RUN_OVER;
            break;
        default: break;
    }
}

bool Match_Frame(Match& match, const Match_Context& context, float dt, bool stop_when_over) {
    Match_End_Rules(match, true);
    const bool over = match.end.state == END_RANKED || match.end.state == END_RUN_OVER;
    if (match.phase != PHASE_SUSPENDED && !(over && stop_when_over)) {
        Match_Step(match, context, dt);
    }
    // The steps only compose the spheres' rolling; the frame about to be drawn needs the
    // meshes placed.
    if (context.animate_meshes) {
        for (Sphere& sphere : match.spheres) sphere.model.Settle();
    }
    return over;
}
