// The generator against the design rules written out independently (hand_values.py prints every
// value below): a Ku-band feed, a 20 dBi horn at 30 GHz and the README's small f/D = 0.4 feed.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "zavolt/profile.hpp"

namespace zavolt::profile {
namespace {

constexpr double kRelative = 1e-12;

#define EXPECT_CLOSE(actual, expected) EXPECT_NEAR((actual), (expected), std::fabs(expected) * kRelative)

std::size_t count(const Profile& profile, WarningKind kind) {
  std::size_t n = 0;
  for (const Warning& w : profile.warnings) n += w.kind == kind ? 1 : 0;
  return n;
}

// The staircase holds what the slots say: each slot's section at its bottom radius and width, its
// ridge next, the z of each slot the sum of the lengths before it, the last ridge in the aperture.
void expect_consistent(const Profile& profile) {
  const Parameters& p = *profile.parameters;
  ASSERT_EQ(profile.slots.size(), p.slot_count);
  EXPECT_EQ(profile.sections.front().radius, p.input_radius);
  EXPECT_EQ(profile.sections.front().length, p.input_length);
  for (const Slot& slot : profile.slots) {
    ASSERT_LT(slot.section + 1, profile.sections.size());
    EXPECT_EQ(profile.sections[slot.section].radius, slot.slot_radius);
    EXPECT_EQ(profile.sections[slot.section].length, p.slot_width);
    EXPECT_EQ(profile.sections[slot.section + 1].radius, slot.ridge_radius);
    EXPECT_EQ(profile.sections[slot.section + 1].length, p.ridge_width);
    double z = 0.0;
    for (std::size_t i = 0; i < slot.section; ++i) z += profile.sections[i].length;
    EXPECT_EQ(slot.z, z);
  }
  if (!profile.slots.empty()) {
    EXPECT_EQ(profile.slots.back().section + 2, profile.sections.size());
  }
  EXPECT_CLOSE(profile.length(), p.total_length);
}

TEST(ProfileGenerate, KuBandFeed) {
  const Profile profile = generate({30e-3, 120e-3}, {10.7e9, 12.75e9});
  const Parameters& p = *profile.parameters;
  EXPECT_FALSE(p.wide_band);
  EXPECT_CLOSE(p.f_c, 11680111300.83956);
  EXPECT_CLOSE(p.f_o, 11913713526.856352);
  EXPECT_CLOSE(p.lambda_c, 0.02566691791528143);
  EXPECT_CLOSE(p.input_radius, 0.012255050580452896);
  EXPECT_CLOSE(p.input_length, 0.012833458957640716);
  EXPECT_CLOSE(p.flare_length, 0.0687258935811989);
  EXPECT_CLOSE(p.flare_start, 0.012833458957640716);
  EXPECT_CLOSE(p.pitch, 0.003208364739410179);
  EXPECT_CLOSE(p.slot_width, 0.8 * 0.003208364739410179);
  EXPECT_CLOSE(p.ridge_width, 0.2 * 0.003208364739410179);
  EXPECT_CLOSE(p.smooth_length, 0.001350234053585142);
  EXPECT_CLOSE(p.aperture_depth, 0.006601657644524522);
  EXPECT_CLOSE(p.total_length, 0.08155935253883961);
  EXPECT_EQ(p.slot_count, 21u);
  EXPECT_EQ(p.converter_slots, 5);
  EXPECT_EQ(p.converter_depth, 0.42);
  EXPECT_FALSE(p.converter_in_cylinder);
  EXPECT_EQ(p.law, Law::linear);

  struct Expected {
    std::size_t j;
    double z, ridge, depth;
  };
  for (const Expected& e : {Expected{1, 0.014183693011225858, 0.013349236106245072, 0.010780105524418201},
                            Expected{2, 0.017392057750636035, 0.014177632319864719, 0.010064360231174367},
                            Expected{5, 0.027017151968866573, 0.016662820960723662, 0.007806957954212946},
                            Expected{6, 0.03022551670827675, 0.01749121717434331, 0.007027440768966106},
                            Expected{7, 0.03343388144768693, 0.01831961338796296, 0.006968642486650164},
                            Expected{13, 0.052684069884148005, 0.02328999066968085, 0.006735451570304867},
                            Expected{21, 0.07835098779942942, 0.02991716037863803, 0.006601657644524522}}) {
    const Slot& slot = profile.slots.at(e.j - 1);
    EXPECT_CLOSE(slot.z, e.z) << "slot " << e.j;
    EXPECT_CLOSE(slot.ridge_radius, e.ridge) << "slot " << e.j;
    EXPECT_NEAR(slot.depth(), e.depth, 1e-15) << "slot " << e.j;
    EXPECT_EQ(slot.converter, e.j <= 5) << "slot " << e.j;
  }
  // The smooth stretch before the first slot: ceil(1.3502 / (lambda_c / 40) = 0.6417) = 3 steps at
  // the cone's radius at their midpoints.
  ASSERT_EQ(profile.slots.front().section, 4u);
  for (std::size_t i = 1; i <= 3; ++i) {
    EXPECT_CLOSE(profile.sections[i].length, 0.001350234053585142 / 3.0);
    const double zeta = (static_cast<double>(i) - 0.5) * 0.001350234053585142 / 3.0;
    EXPECT_CLOSE(profile.sections[i].radius, 0.012255050580452896 + (0.03 - 0.012255050580452896) * zeta / 0.0687258935811989);
  }
  expect_consistent(profile);
  // k a_i = 2.748 at f_min and 3.275 at f_max, between the cut-offs; p < lambda_max / 3 = 7.84 mm.
  EXPECT_TRUE(profile.warnings.empty());
}

TEST(ProfileGenerate, TwentyDbiAtThirtyGigahertz) {
  const Profile profile = generate({19.9e-3, 99.5e-3}, {30e9, 30e9});
  const Parameters& p = *profile.parameters;
  EXPECT_EQ(p.f_c, 30e9);  // a band of width 0: its own geometric centre
  EXPECT_CLOSE(p.f_o, 30.6e9);
  EXPECT_CLOSE(p.input_radius, 0.004771345159236942);
  EXPECT_CLOSE(p.flare_length, 0.07411496970911237);
  EXPECT_CLOSE(p.pitch, 0.0012491352416666667);
  EXPECT_CLOSE(p.smooth_length, 0.0004159904507790302);
  EXPECT_CLOSE(p.total_length, 0.07911151067577904);
  EXPECT_EQ(p.slot_count, 59u);
  EXPECT_NEAR(profile.slots[0].depth(), 0.004197094412, 1e-15);  // sigma lambda_c
  EXPECT_NEAR(profile.slots[4].depth(), 0.0030546372677190572, 1e-15);
  EXPECT_NEAR(profile.slots[5].depth(), 0.002756136135166558, 1e-15);
  EXPECT_NEAR(profile.slots[31].depth(), 0.0025631837833611573, 1e-15);
  EXPECT_CLOSE(profile.slots[31].ridge_radius, 0.012990078219575728);
  EXPECT_CLOSE(profile.slots[58].z, 0.07786237543411237);
  EXPECT_CLOSE(profile.slots[58].ridge_radius, 0.019874502133651575);
  EXPECT_NEAR(profile.slots[58].depth(), 0.0025146790620656444, 1e-15);  // D_o at the aperture
  expect_consistent(profile);
  // The ridge is 0.2498 mm, just above the 0.2 mm default; k a_i = 3.
  EXPECT_TRUE(profile.warnings.empty());

  // A 0.25 mm minimum ridge names every slot; a 1 mm minimum slot too.
  Rules rules;
  rules.minimum_ridge = 0.25e-3;
  rules.minimum_slot = 1e-3;
  const Profile tight = generate({19.9e-3, 99.5e-3}, {30e9, 30e9}, rules);
  EXPECT_EQ(count(tight, WarningKind::ridge_too_thin), 59u);
  EXPECT_EQ(count(tight, WarningKind::slot_too_narrow), 59u);
  EXPECT_EQ(tight.warnings.front().slot, 1u);
  EXPECT_EQ(tight.warnings.back().slot, 59u);
  EXPECT_CLOSE(tight.warnings.front().value, 0.8 * 0.0012491352416666667);
  EXPECT_EQ(tight.warnings.front().limit, 1e-3);
  EXPECT_EQ(tight.sections.size(), profile.sections.size());  // still made
}

TEST(ProfileGenerate, ShortFlareRunsTheConverterInACylinder) {
  // The f/D = 0.4 feed at 12 GHz: a = 15.4 mm, L = 47.6 mm, an 18.87 degree flare of 10.15 mm axial
  // length, three pitches: fewer than the converter's five slots.
  const Profile profile = generate({15.4e-3, 47.6e-3}, {12e9, 12e9});
  const Parameters& p = *profile.parameters;
  EXPECT_NEAR(std::asin(15.4 / 47.6) * 180.0 / std::numbers::pi, 18.9, 0.05);
  EXPECT_CLOSE(p.flare_length, 0.010153407364073181);
  EXPECT_TRUE(p.converter_in_cylinder);
  EXPECT_CLOSE(p.converter_cylinder_length, 5.0 * 0.003122838104166667);
  EXPECT_CLOSE(p.flare_start, 0.012491352416666667 + 5.0 * 0.003122838104166667);
  EXPECT_EQ(p.slot_count, 8u);
  EXPECT_CLOSE(p.total_length, 0.03825895030157318);
  const double depths[] = {0.01049273603,        0.00982543522396104,  0.009158134417922077, 0.008490833611883115,
                           0.007823532805844153, 0.0070544384248873515, 0.00687329765742372,  0.00676452321427593};
  for (std::size_t j = 0; j < 8; ++j) {
    const Slot& slot = profile.slots[j];
    EXPECT_NEAR(slot.depth(), depths[j], 1e-15) << "slot " << j + 1;
    EXPECT_EQ(slot.converter, j < 5) << "slot " << j + 1;
    if (j < 5) {
      EXPECT_EQ(slot.ridge_radius, p.input_radius) << "slot " << j + 1;
    }
  }
  EXPECT_CLOSE(profile.slots[0].z, 0.012491352416666667);  // right after the input guide
  EXPECT_CLOSE(profile.slots[5].z, 0.028890435989073183);
  EXPECT_CLOSE(profile.slots[5].ridge_radius, 0.013157712608431559);
  EXPECT_CLOSE(profile.slots[7].ridge_radius, 0.015293224409925314);
  // The last ridge ends in the aperture plane, at the cone's radius at its centre.
  EXPECT_CLOSE(profile.sections.back().radius, 15.4e-3 - (15.4e-3 - 0.011928362898092355) * (0.1 * 0.003122838104166667) / 0.010153407364073181);
  expect_consistent(profile);
  EXPECT_TRUE(profile.warnings.empty());

  // With two converter slots the flare holds them: no cylinder.
  Rules rules;
  rules.converter_slots = 2;
  const Parameters two = *generate({15.4e-3, 47.6e-3}, {12e9, 12e9}, rules).parameters;
  EXPECT_FALSE(two.converter_in_cylinder);
  EXPECT_EQ(two.slot_count, 3u);
  EXPECT_CLOSE(two.total_length, 0.012491352416666667 + 0.010153407364073181);
}

TEST(ProfileGenerate, DesignFrequenciesOfTheBand) {
  const Aperture horn{60e-3, 240e-3};
  // Up to 1.4:1 the geometric centre; 10 to 14 GHz is exactly 1.4.
  const Parameters narrow = *generate(horn, {10e9, 14e9}).parameters;
  EXPECT_FALSE(narrow.wide_band);
  EXPECT_CLOSE(narrow.f_c, std::sqrt(140.0) * 1e9);
  EXPECT_CLOSE(narrow.f_o, 1.02 * std::sqrt(140.0) * 1e9);
  // Beyond, up to 2.4:1: f_c = 1.2 f_min, f_o = 1.10 f_c.
  const Profile wide = generate(horn, {8e9, 16e9});
  EXPECT_TRUE(wide.parameters->wide_band);
  EXPECT_CLOSE(wide.parameters->f_c, 9.6e9);
  EXPECT_CLOSE(wide.parameters->f_o, 10.56e9);
  // k a_i = 3 f / f_c: 2.5 at 8 GHz, 5 at 16 GHz, where TM11 propagates.
  ASSERT_EQ(count(wide, WarningKind::tm11_propagates), 1u);
  EXPECT_EQ(count(wide, WarningKind::te11_cut_off), 0u);
  for (const Warning& w : wide.warnings) {
    if (w.kind == WarningKind::tm11_propagates) {
      EXPECT_CLOSE(w.value, 5.0);
      EXPECT_EQ(w.limit, kTm11Cutoff);
    }
  }
  EXPECT_NO_THROW((void)generate(horn, {10e9, 24e9}));
  for (const Band bad : {Band{10e9, 24.1e9}, Band{10e9, 9e9}, Band{0.0, 10e9}, Band{10e9, NAN}, Band{-1.0, 10e9}}) {
    try {
      (void)generate(horn, bad);
      ADD_FAILURE() << bad.f_min << " to " << bad.f_max;
    } catch (const InvalidInput& error) {
      EXPECT_EQ(error.quantity(), Quantity::band);
    }
  }
}

TEST(ProfileGenerate, EveryRuleCanBeOverridden) {
  const Aperture horn{30e-3, 120e-3};
  const Band band{10.7e9, 12.75e9};
  Rules rules;
  rules.input_radius = 13e-3;
  rules.input_length = 20e-3;
  rules.pitch = 3e-3;
  rules.slot_ratio = 0.75;
  rules.converter_slots = 3;
  rules.converter_depth = 0.5;
  rules.step_length = 0.1e-3;
  const Profile profile = generate(horn, band, rules);
  const Parameters& p = *profile.parameters;
  EXPECT_EQ(p.input_radius, 13e-3);
  EXPECT_EQ(p.input_length, 20e-3);
  EXPECT_EQ(p.pitch, 3e-3);
  EXPECT_EQ(p.slot_width, 0.75 * 3e-3);
  EXPECT_EQ(p.ridge_width, 0.25 * 3e-3);
  EXPECT_EQ(p.step_length, 0.1e-3);
  const double flare = (30e-3 - 13e-3) / std::tan(std::asin(0.25));
  EXPECT_CLOSE(p.flare_length, flare);
  const double whole = std::floor(flare / 3e-3);
  EXPECT_EQ(p.slot_count, static_cast<std::size_t>(whole));
  EXPECT_EQ(profile.slots.front().section, 1 + static_cast<std::size_t>(std::ceil((flare - whole * 3e-3) / 0.1e-3)));
  EXPECT_NEAR(profile.slots[0].depth(), 0.5 * p.lambda_c, 1e-15);
  EXPECT_TRUE(profile.slots[2].converter);
  EXPECT_FALSE(profile.slots[3].converter);
  expect_consistent(profile);

  // No converter: the depths run from D_c(a_1) at the first slot to D_o at the last.
  rules = {};
  rules.converter_slots = 0;
  const Profile plain = generate(horn, band, rules);
  for (const Slot& slot : plain.slots) EXPECT_FALSE(slot.converter);
  const double lambda_c = plain.parameters->lambda_c;
  const double ka = 2.0 * std::numbers::pi / lambda_c * plain.slots[0].ridge_radius;
  EXPECT_CLOSE(plain.slots[0].depth(), lambda_c / 4.0 * std::exp(1.0 / (2.114 * std::pow(ka, 1.134))));
  EXPECT_NEAR(plain.slots.back().depth(), plain.parameters->aperture_depth, 1e-15);

  // A flare length of the engineer's own is not the design's cone.
  rules = {};
  rules.flare_length = 50e-3;
  const Profile longer = generate(horn, band, rules);
  EXPECT_EQ(longer.parameters->flare_length, 50e-3);
  EXPECT_EQ(count(longer, WarningKind::not_the_design_cone), 1u);
  expect_consistent(longer);
}

TEST(ProfileGenerate, FlareLaws) {
  // a_i = 1, a_o = 2, l = 1, A = 0.5 at z = 0.25, from the laws written out independently.
  EXPECT_CLOSE(flare_radius(Law::linear, 1.0, 2.0, 1.0, 0.0, 0.0, 0.25), 1.25);
  EXPECT_CLOSE(flare_radius(Law::sine, 1.0, 2.0, 1.0, 0.5, 0.0, 0.25), 1.198223304703363);
  EXPECT_CLOSE(flare_radius(Law::tangential, 1.0, 2.0, 1.0, 0.5, 2.0, 0.25), 1.14478306494829);
  EXPECT_CLOSE(flare_radius(Law::tangential, 1.0, 2.0, 1.0, 0.5, 3.0, 0.25), 1.12893509628289);
  EXPECT_CLOSE(flare_radius(Law::power, 1.0, 2.0, 1.0, 0.5, 2.0, 0.25), 1.15625);
  EXPECT_CLOSE(flare_radius(Law::exponential, 1.0, 2.0, 1.0, 0.0, 0.0, 0.25), 1.189207115002721);
  EXPECT_CLOSE(flare_radius(Law::hyperbolic, 1.0, 2.0, 1.0, 0.0, 0.0, 0.25), 1.0897247358851685);
  EXPECT_CLOSE(flare_radius(Law::polynomial, 1.0, 2.0, 1.0, 0.0, 3.0, 0.25), 1.05078125);
  for (const Law law : {Law::linear, Law::sine, Law::tangential, Law::power, Law::exponential, Law::hyperbolic,
                        Law::polynomial}) {
    EXPECT_EQ(parse_law(law_name(law)), law);
    EXPECT_CLOSE(flare_radius(law, 1.0, 2.0, 3.0, 0.7, 1.5, 0.0), 1.0) << law_name(law);
    EXPECT_CLOSE(flare_radius(law, 1.0, 2.0, 3.0, 0.7, 1.5, 3.0), 2.0) << law_name(law);
  }
  EXPECT_FALSE(parse_law("cosine"));

  // Every law makes a sound horn, told apart from the design's cone.
  const Aperture horn{30e-3, 120e-3};
  for (const Law law : {Law::sine, Law::tangential, Law::power, Law::exponential, Law::hyperbolic, Law::polynomial}) {
    Rules rules;
    rules.law = law;
    rules.flare_length = 60e-3;
    const Profile profile = generate(horn, {11e9, 12e9}, rules);
    expect_consistent(profile);
    EXPECT_EQ(count(profile, WarningKind::not_the_design_cone), 1u) << law_name(law);
    const Parameters& p = *profile.parameters;
    EXPECT_EQ(p.law_a, law_uses_a(law) ? 1.0 : 0.0);
    EXPECT_EQ(p.law_rho, law_uses_rho(law) ? 2.0 : 0.0);
    const Slot& last = profile.slots.back();
    EXPECT_CLOSE(last.ridge_radius, flare_radius(law, p.input_radius, 30e-3, 60e-3, p.law_a, p.law_rho,
                                                 60e-3 - p.ridge_width / 2.0));
  }
}

template <typename Change>
void expect_refused(Quantity quantity, Change change, Aperture horn = {30e-3, 120e-3}) {
  Rules rules;
  change(rules);
  try {
    (void)generate(horn, {11e9, 12e9}, rules);
    ADD_FAILURE() << "accepted: " << quantity_name(quantity);
  } catch (const InvalidInput& error) {
    EXPECT_EQ(error.quantity(), quantity) << error.what();
  }
}

TEST(ProfileGenerate, RefusesWhatMakesNoHorn) {
  expect_refused(Quantity::radius, [](Rules&) {}, {0.0, 1.0});
  expect_refused(Quantity::radius, [](Rules&) {}, {NAN, 1.0});
  expect_refused(Quantity::radius, [](Rules&) {}, {10e-3, 100e-3});  // below a_i = 12.2 mm
  expect_refused(Quantity::slant, [](Rules&) {}, {30e-3, 30e-3});
  expect_refused(Quantity::slant, [](Rules&) {}, {30e-3, INFINITY});
  expect_refused(Quantity::slant, [](Rules&) {}, {30e-3, NAN});
  EXPECT_NO_THROW((void)generate({30e-3, INFINITY}, {11e9, 12e9}, Rules{.flare_length = 0.1}));
  expect_refused(Quantity::input_radius, [](Rules& r) { r.input_radius = -1.0; });
  expect_refused(Quantity::input_radius, [](Rules& r) { r.input_radius = INFINITY; });
  expect_refused(Quantity::input_length, [](Rules& r) { r.input_length = 0.0; });
  expect_refused(Quantity::flare_length, [](Rules& r) { r.flare_length = NAN; });
  expect_refused(Quantity::pitch, [](Rules& r) { r.pitch = 0.0; });
  expect_refused(Quantity::pitch, [](Rules& r) { r.pitch = 1e-12; });  // 10^10 slots
  expect_refused(Quantity::slot_ratio, [](Rules& r) { r.slot_ratio = 1.0; });
  expect_refused(Quantity::slot_ratio, [](Rules& r) { r.slot_ratio = 0.0; });
  expect_refused(Quantity::converter_slots, [](Rules& r) { r.converter_slots = -1; });
  expect_refused(Quantity::converter_slots, [](Rules& r) { r.converter_slots = 1001; });
  expect_refused(Quantity::converter_depth, [](Rules& r) { r.converter_depth = 0.0; });
  expect_refused(Quantity::minimum_ridge, [](Rules& r) { r.minimum_ridge = -1e-3; });
  expect_refused(Quantity::minimum_slot, [](Rules& r) { r.minimum_slot = NAN; });
  expect_refused(Quantity::step_length, [](Rules& r) { r.step_length = 0.0; });
  expect_refused(Quantity::step_length, [](Rules& r) { r.step_length = 1e-15; });  // 10^12 steps
  expect_refused(Quantity::law_a, [](Rules& r) { r.law_a = 0.5; });  // the cone has no A
  expect_refused(Quantity::law_rho, [](Rules& r) {
    r.law = Law::sine;
    r.law_rho = 2.0;
  });
  expect_refused(Quantity::law_a, [](Rules& r) {
    r.law = Law::power;
    r.law_a = 1.5;
  });
  expect_refused(Quantity::law_rho, [](Rules& r) {
    r.law = Law::polynomial;
    r.law_rho = 0.0;
  });
}

TEST(ProfileGenerate, WarnsOfAPoorGuideAndACoarsePitch) {
  const Aperture horn{30e-3, 120e-3};
  Rules rules;
  rules.input_radius = 7e-3;  // k a = 1.57 at 10.7 GHz: TE11 cut off
  rules.pitch = 9e-3;         // lambda / 3 at 12.75 GHz is 7.84 mm
  const Profile profile = generate(horn, {10.7e9, 12.75e9}, rules);
  EXPECT_EQ(count(profile, WarningKind::te11_cut_off), 1u);
  EXPECT_EQ(count(profile, WarningKind::tm11_propagates), 0u);
  ASSERT_EQ(count(profile, WarningKind::pitch_too_coarse), 1u);
  for (const Warning& w : profile.warnings) {
    if (w.kind == WarningKind::pitch_too_coarse) {
      EXPECT_EQ(w.value, 9e-3);
      EXPECT_CLOSE(w.limit, 0.007837711320261438);
      EXPECT_FALSE(w.slot);
    }
  }
}

TEST(ProfileValidate, EverySectionPositiveAndFinite) {
  EXPECT_NO_THROW(validate(std::vector<Section>{{1e-3, 2e-3}}));
  const auto quantity_of = [](std::vector<Section> sections) {
    try {
      validate(sections);
    } catch (const InvalidInput& error) {
      return error.quantity();
    }
    return Quantity::mode_count;
  };
  EXPECT_EQ(quantity_of({}), Quantity::section_length);
  EXPECT_EQ(quantity_of({{1e-3, 2e-3}, {0.0, 2e-3}}), Quantity::section_length);
  EXPECT_EQ(quantity_of({{INFINITY, 2e-3}}), Quantity::section_length);
  EXPECT_EQ(quantity_of({{1e-3, -2e-3}}), Quantity::section_radius);
  EXPECT_EQ(quantity_of({{1e-3, NAN}}), Quantity::section_radius);
}

}  // namespace
}  // namespace zavolt::profile
