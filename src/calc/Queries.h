// Result requests: the questions an engineer asks of a calculated problem,
// one per line (or several on a line, separated by ";"), each answered with a
// value, its unit and the place it belongs to.
//
//   w                    the value of w with the largest magnitude, signed
//   max SigEq4           the largest value of a field; min M1 the smallest
//   max |w|              the largest magnitude
//   M1(0)                at x = 0 m along the shell (from its bottom)
//   w(x=4, угол=90)      at x = 4 m, 90° round the circumference (θ= also
//                        reads; y=1.2 gives the arc in metres)
//   Span2.w(1.5)         1.5 m up the span Span2 (Пояс2 is the second span)
//   Ring.N2(90°)         on a ring, at 90° along it; Ring.Mr its extreme
//   // text              a comment
//
// A point between nodes takes the linear (on a surface bilinear) blend of its
// neighbours. A request that cannot be answered gets a line of its own that
// says why: the problem is not calculated, the field or the domain is unknown,
// the point lies outside the shell, or the request is not written right.
#pragma once

#include "calc/Export.h"
#include "platform/extended.h"

#include <string>
#include <vector>

namespace zem {

class TProblem;

struct TQueryAnswer {
    std::string Request;      // as written, trimmed
    bool Answered = false;
    Extended Value = 0;
    std::string Field;        // the field's name ("M1")
    std::string Unit;         // "N·m/m"; empty for pure numbers
    std::string Domain;       // the domain element's key, empty at the root
    Extended X = 0;           // the place along direction 0: x along the whole
                              // shell, or along a ring (m)
    Extended Y = 0;           // and round or across (m)
    bool Around = false;      // Y is a place (a surface, not a line)
    std::string Place;        // "x = 0 m", "Ring, 90°"
    std::string Error;        // why it is not answered
};

// The requests of a result-request text in order: lines cut at ";" (and at
// ":", the separator of older files), blanks trimmed, empty pieces and
// comments ("//" to the end of the line) dropped.
std::vector<std::string> SplitRequests(const std::vector<std::string>& lines);

// The results every request reads. Everything the requests know of a
// problem comes through here.
std::vector<TDomainResults> QueryResults(TProblem& problem);

TQueryAnswer AnswerRequest(const std::vector<TDomainResults>& results, const std::string& request);
// Every request of Lines against Problem; when the problem is not calculated
// each request says so.
std::vector<TQueryAnswer> AnswerRequests(TProblem& problem, const std::vector<std::string>& lines);

// "M1(0) = -931.52 N·m/m   (x = 0 m)", or "w(20): точка вне оболочки ...".
std::string AnswerText(const TQueryAnswer& answer);
std::vector<std::string> AnswerTexts(const std::vector<TQueryAnswer>& answers);

// Text as a JSON string literal, quotes included.
std::string JsonText(const std::string& text);
// One answer as a JSON object: request, value (null when unanswered), unit,
// field, domain, x, y, place, error.
std::string AnswerJson(const TQueryAnswer& answer);

}  // namespace zem
