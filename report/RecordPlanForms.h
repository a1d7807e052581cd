#pragma once

#include "report/RecordPlan.h"

#include <string>

// The record's test plan in each of the record's forms; each writes nothing when the record has no plan.
// The figures are the same in all of them, and an unmet expectation reads as unmet in every one.

// A "Test plan" section: the plan's result and a row per expectation.
void AppendPlanHtml(std::string& out, const RecordPlan& plan);
// "plan_met" and "plan": [...], members of the record's object.
void AppendPlanJson(std::string& out, const RecordPlan& plan);
// A <testcase classname="plan"> per expectation, a <failure> for each one unmet.
void AppendPlanJunit(std::string& out, const RecordPlan& plan);
// "plan: 3 of 4 met" and a line per unmet expectation.
void AppendPlanSummary(std::string& out, const RecordPlan& plan);
