// The technical-theory cylinder as problem types: "CylTech", one closed shell
// (TElCylTech owning a TDmCylTech), and "CompCylTech", a stepped cylinder
// of spans stacked along the axis (TElCompCylTech), each span a TElCylTech
// with its own height, wall thickness and meshes, joined to its neighbours
// by continuity rows that interpolate around the circumference where the
// circumferential meshes differ.
#pragma once

#include "domains/ElDomain.h"
#include "elements/ElComp.h"
#include "problemtypes/DmCylTech.h"
#include "problemtypes/ElStepped.h"

#include <string>

namespace zem {

class TElCylTech : public TDmElementD2 {
public:
    TElCylTech(TObject* owner, std::string key);

    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    void DeclareItems() override;
    // The axial mesh of a new problem: fine enough within the edge zone of
    // the default shell's clamped bottom, graded toward it.
    virtual std::string DefaultMeshX() const;
    // The circumferential mesh of a new problem (4 steps for a closed shell).
    virtual std::string DefaultMeshY() const { return "4"; }
    // Four empty load slots (qz, qx, qy, prescribed deflection), then the
    // loads of LOADS.
    void ApplyLoads() override;
    // The domain set-up (after ParentParams when given), then the thickness.
    void Parse() override;

    TDmCylTech& Cyl() const { return static_cast<TDmCylTech&>(*Domain); }

    // For a span of a stepped cylinder: the compound's PARAMS (not owned).
    // The domain reads them before the span's own, and a span whose own `t`
    // is empty takes the compound's `t`.
    TElemList* ParentParams = nullptr;

    // The declarations shared with the stepped cylinder.
    static void DeclareBounds(TElemList& bounds);
    static void DeclareLoads(TElemList& loads);
    // Mesh_x defaults to AlongAxis, mesh_y to Around.
    static void DeclareMesh(TElemList& mesh, const std::string& alongAxis, const std::string& around = "4");
    static const std::vector<std::string>& InputNames();
    static const std::vector<std::string>& ResultNames();

protected:
    // The thickness value: the own `t`, else the parent's.
    const TObject* ThicknessValue() const;
};

class TElCompCylTech : public TElStepped<TElCompSeriesD2, TDmCylTech> {
public:
    using TElStepped::TElStepped;

    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // PARAMS, BOUNDS, LOADS and two spans; graphs only (no tables).
    void DeclareItems() override;
    // "Uniform" and "Wind" to every span, "Gidr" spread over the spans (also
    // with a tilted surface), "q_Rect" and "w_Rect" cut into the spans they
    // cover; a failure raises "Ошибка в значении параметра " + key.
    void ApplyLoad(const std::string& key, const TObject* value) override;

    // Appends span Span<count + 1> with its own H, t, Uniform and meshes.
    void AddSpan();
    TElCylTech& CylSpan(int i) const { return static_cast<TElCylTech&>(Span(i)); }
    TDmCylTech& Cyl(int i) const { return CylSpan(i).Cyl(); }

protected:
    void NewSpan() override { AddSpan(); }
    // The span's loads afresh (its own parse has set up the rest).
    void PrepareSpan(int i) override;
    // The rigid motions of the whole shell taken out by the first span.
    void BeforeRows() override;
    // Six passes: three over span i's circumferential nodes, three over span
    // i + 1's.
    void WriteJointRows(TEquationList& equations, int i) override;
    // Loads afresh on every span (its own, then the compound's), and the
    // compound's conditions on the first and the last span.
    void ApplyToSpans() { SetUpSpans(); }
    // Regions in the compound's axial coordinate, cut to each span.
    void AddRegionsToSpans(int slot, const TObject* value);
};

// Registers "CylTech" and "CompCylTech" in the catalogue of problem types.
void RegisterCylTechTypes();

}  // namespace zem
