// The metal's outline revolved with Open CASCADE, written as STEP or meshed into STL.
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <StlAPI_Writer.hxx>
#include <TopoDS_Shape.hxx>
#include <gp.hxx>

#include <cmath>
#include <mutex>
#include <numbers>

#include "zavolt/cad.hpp"

// LeakSanitizer, in a sanitized build: Open CASCADE keeps allocations of its own past exit (its
// memory manager, the STEP translator's static editors and directions), in every program that
// writes a solid. Only its libraries are named.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libTKernel.so\nleak:libTKXSBase.so\nleak:libTKSTEP.so\nleak:libTKSTEPBase.so\n"
         "leak:libTKSTEPAttr.so\nleak:libTKSTEP209.so\n";
}
// Without the table of suppressions used on standard error at exit, where the output is compared.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace zavolt::cad {

namespace {

constexpr double kMillimetresPerMetre = 1000.0;

// The default messenger prints the STEP writer's transfer statistics to standard output, where a
// table or CSV may be going: its printers go, once.
void silence() {
  static std::once_flag once;
  std::call_once(once, [] { Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream)); });
}

TopoDS_Shape solid(const profile::Profile& profile, double wall) {
  const profile::Metal metal = profile::metal(profile, wall);
  try {
    BRepBuilderAPI_MakePolygon polygon;
    for (const profile::Point& p : metal.outline) {
      polygon.Add(gp_Pnt(p.r * kMillimetresPerMetre, 0.0, p.z * kMillimetresPerMetre));
    }
    polygon.Close();
    if (!polygon.IsDone()) throw CadFailure("the horn's outline is not a polygon");
    BRepBuilderAPI_MakeFace face(polygon.Wire(), true);
    if (!face.IsDone()) throw CadFailure("the horn's outline is not a plane face");
    BRepPrimAPI_MakeRevol revolved(face.Face(), gp::OZ(), 2.0 * std::numbers::pi);
    if (!revolved.IsDone()) throw CadFailure("the horn's outline does not revolve into a solid");
    return revolved.Shape();
  } catch (const Standard_Failure& failure) {
    throw CadFailure(std::string("the horn's solid cannot be built: ") + failure.GetMessageString());
  }
}

}  // namespace

void write_step(const profile::Profile& profile, double wall, const std::string& path) {
  silence();
  const TopoDS_Shape shape = solid(profile, wall);
  try {
    STEPControl_Writer writer;
    Interface_Static::SetCVal("write.step.schema", "AP214IS");
    Interface_Static::SetCVal("write.step.unit", "MM");
    Interface_Static::SetCVal("write.step.product.name", "corrugated horn");
    if (writer.Transfer(shape, STEPControl_AsIs) != IFSelect_RetDone) throw CadFailure("the solid cannot be put into STEP");
    if (writer.Write(path.c_str()) != IFSelect_RetDone) throw CadFailure("cannot write " + path);
  } catch (const Standard_Failure& failure) {
    throw CadFailure("cannot write " + path + ": " + failure.GetMessageString());
  }
}

void write_stl(const profile::Profile& profile, double wall, double tolerance, const std::string& path) {
  if (!(std::isfinite(tolerance) && tolerance > 0.0)) {
    throw InvalidInput(Quantity::mesh_tolerance, tolerance, "must be positive and finite");
  }
  silence();
  const TopoDS_Shape shape = solid(profile, wall);
  try {
    // The chordal deviation sets the mesh; the angular one (0.5 rad) only keeps small circles round.
    const BRepMesh_IncrementalMesh mesh(shape, tolerance * kMillimetresPerMetre, false, 0.5, false);
    if (!mesh.IsDone()) throw CadFailure("the solid cannot be meshed");
    StlAPI_Writer writer;
    writer.ASCIIMode() = false;
    if (!writer.Write(shape, path.c_str())) throw CadFailure("cannot write " + path);
  } catch (const Standard_Failure& failure) {
    throw CadFailure("cannot write " + path + ": " + failure.GetMessageString());
  }
}

}  // namespace zavolt::cad
