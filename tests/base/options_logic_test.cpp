#include "base/options_logic.hpp"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(OptionsChoices, HeaderStyleOutsideTheThreeShowsThirdItemAndOkStoresTc800) {
    TParam p;
    p.entete_gsi = "TS";
    EXPECT_EQ(ChoicesFromParam(p).gsiHeader, 0);
    p.entete_gsi = "covadis";
    EXPECT_EQ(ChoicesFromParam(p).gsiHeader, 1);
    p.entete_gsi = "tc800";
    EXPECT_EQ(ChoicesFromParam(p).gsiHeader, 2);

    p.entete_gsi = "Covadis";  // comparisons are case-sensitive
    TOptionsChoices c = ChoicesFromParam(p);
    EXPECT_EQ(c.gsiHeader, 2);
    ApplyChoices(p, c);
    EXPECT_EQ(p.entete_gsi, "tc800");
}

TEST(OptionsChoices, ShowingThenOkKeepsEveryValue) {
    TParam p;
    p.use_meteo_entete_station = "N";
    p.tri_fichier_brelix = "obs";
    p.export_hauteurs_brelix = "Y";
    p.use_first_target_for_Z0_estimation = "Y";
    p.entete_gsi = "covadis";
    ApplyChoices(p, ChoicesFromParam(p));
    EXPECT_EQ(p.use_meteo_entete_station, "N");
    EXPECT_EQ(p.tri_fichier_brelix, "obs");
    EXPECT_EQ(p.export_hauteurs_brelix, "Y");
    EXPECT_EQ(p.use_first_target_for_Z0_estimation, "Y");
    EXPECT_EQ(p.entete_gsi, "covadis");
}

TEST(OptionsChoices, UnknownValuesSelectTheSecondItemOrUntickAndOkNormalises) {
    TParam p;
    p.tri_fichier_brelix = "CODE";
    p.use_meteo_entete_station = "y";
    p.export_hauteurs_brelix = "yes";
    p.use_first_target_for_Z0_estimation = "";
    const TOptionsChoices c = ChoicesFromParam(p);
    EXPECT_EQ(c.triObs, 1);
    EXPECT_EQ(c.meteo, 1);
    EXPECT_FALSE(c.ecritureHauteurs);
    EXPECT_FALSE(c.useOuvPourZ0);
    ApplyChoices(p, c);
    EXPECT_EQ(p.tri_fichier_brelix, "obs");
    EXPECT_EQ(p.use_meteo_entete_station, "N");
    EXPECT_EQ(p.export_hauteurs_brelix, "N");
    EXPECT_EQ(p.use_first_target_for_Z0_estimation, "N");
}

TEST(OptionsSigma, EditTextsFollowTheDecimalKeys) {
    TParam p;  // 0.0008, 0.0012, 0.0010, 0.0025 ; angle 4, longueur 4
    EXPECT_EQ(SigmaEditText(p, SigmaField::Hz), "0.0008");
    EXPECT_EQ(SigmaEditText(p, SigmaField::V), "0.0012");
    EXPECT_EQ(SigmaEditText(p, SigmaField::Dp), "0.0010");
    EXPECT_EQ(SigmaEditText(p, SigmaField::DpRL), "0.0025");
    p.angle = 6;
    p.longueur = 2;
    // The value is single precision: 8 significant digits hide its binary tail.
    EXPECT_EQ(SigmaEditText(p, SigmaField::Hz), "0.000800");
    EXPECT_EQ(SigmaEditText(p, SigmaField::DpRL), "0.00");
    p.sigma_Hz = 0.0012345678f;
    p.angle = 12;
    EXPECT_EQ(SigmaEditText(p, SigmaField::Hz), "0.001234567800");
}

TEST(OptionsSigma, RejectedTextsLeaveTheParameterAndAreRefilled) {
    TParam p;
    std::array<std::string, kSigmaFieldCount> texts = {"abc", "1e-3", "0.0020", ""};
    ApplySigmaEdits(p, texts);
    EXPECT_FLOAT_EQ(p.sigma_Hz, 0.0008f);
    EXPECT_EQ(texts[0], "0.0008");
    EXPECT_FLOAT_EQ(p.sigma_V, 0.0012f);  // the exponent is refused here
    EXPECT_EQ(texts[1], "0.0012");
    EXPECT_FLOAT_EQ(p.sigma_Dp, 0.002f);
    EXPECT_EQ(texts[2], "0.0020");
    EXPECT_FLOAT_EQ(p.sigma_DpRL, 0.0025f);
    EXPECT_EQ(texts[3], "0.0025");

    // Texts that pass the numeric test but hold no digit are refused too.
    EXPECT_EQ(ApplySigmaEdit(p, SigmaField::Hz, "-"), std::optional<std::string>("0.0008"));
    EXPECT_EQ(ApplySigmaEdit(p, SigmaField::Hz, "."), std::optional<std::string>("0.0008"));
    // A decimal comma, as French users type it, is read as the point; a
    // text with two commas is no number.
    EXPECT_EQ(ApplySigmaEdit(p, SigmaField::Hz, "0,0009"), std::nullopt);
    EXPECT_FLOAT_EQ(p.sigma_Hz, 0.0009f);
    EXPECT_EQ(ApplySigmaEdit(p, SigmaField::Hz, "0,0,9"), std::optional<std::string>("0.0009"));
    EXPECT_EQ(ApplySigmaEdit(p, SigmaField::Hz, ".0005"), std::nullopt);
    EXPECT_FLOAT_EQ(p.sigma_Hz, 0.0005f);
}

TEST(OptionsRenorm, CreationRoundsAhAvDpButKeepsTheDnPair) {
    TParam p;
    p.AH_mult = 1.0005;
    p.AV_mult = 0.996;
    p.Dp_mult = 1.00002;
    p.AH_add = 0.00016;
    p.AV_add = -0.00004;
    p.Dp_add = 0.0123456;
    p.Dn_add = 0.00016;
    p.Dn_mult = 1.0005;
    const auto texts = InitRenormEdits(p);
    EXPECT_EQ(texts[int(RenormField::AH_add)], "0.0002");
    EXPECT_EQ(texts[int(RenormField::AH_mult)], "1.00");
    EXPECT_EQ(texts[int(RenormField::AV_add)], "0.0000");
    EXPECT_EQ(texts[int(RenormField::AV_mult)], "1.00");
    EXPECT_EQ(texts[int(RenormField::Dp_add)], "0.0123");
    EXPECT_EQ(texts[int(RenormField::Dp_mult)], "1.00");
    EXPECT_EQ(texts[int(RenormField::Dn_add)], "0.0002");
    EXPECT_EQ(texts[int(RenormField::Dn_mult)], "1.00");
    EXPECT_DOUBLE_EQ(p.AH_mult, 1.0);
    EXPECT_DOUBLE_EQ(p.AV_mult, 1.0);
    EXPECT_DOUBLE_EQ(p.Dp_mult, 1.0);
    EXPECT_DOUBLE_EQ(p.AH_add, 0.0002);
    EXPECT_DOUBLE_EQ(p.AV_add, 0.0);
    EXPECT_DOUBLE_EQ(p.Dp_add, 0.0123);
    EXPECT_DOUBLE_EQ(p.Dn_add, 0.00016);
    EXPECT_DOUBLE_EQ(p.Dn_mult, 1.0005);
}

TEST(OptionsRenorm, EditChangesReachTheParameterOrAreReplaced) {
    TParam p;
    InitRenormEdits(p);
    // A letter typed into the AH factor: the current factor comes back.
    EXPECT_EQ(RenormEditChanged(p, RenormField::AH_mult, "1.00x"), std::optional<std::string>("1.0000"));
    EXPECT_DOUBLE_EQ(p.AH_mult, 1.0);
    // Clearing an edit does the same.
    EXPECT_EQ(RenormEditChanged(p, RenormField::AV_add, ""), std::optional<std::string>("0.0000"));
    // Exponents are not numbers here.
    EXPECT_EQ(RenormEditChanged(p, RenormField::Dp_mult, "1e2"), std::optional<std::string>("1.0000"));
    EXPECT_DOUBLE_EQ(p.Dp_mult, 1.0);

    EXPECT_EQ(RenormEditChanged(p, RenormField::AH_mult, "1.0000123"), std::nullopt);
    EXPECT_DOUBLE_EQ(p.AH_mult, 1.0000123);
    // The replacement keeps at most 6 significant digits.
    EXPECT_EQ(RenormEditChanged(p, RenormField::AH_mult, "?"), std::optional<std::string>("1.0000"));
    EXPECT_EQ(RenormEditChanged(p, RenormField::Dp_add, "123.456789"), std::nullopt);
    EXPECT_EQ(RenormEditChanged(p, RenormField::Dp_add, "x"), std::optional<std::string>("123.4570"));

    // The Dn row edits its own parameters like the other rows.
    EXPECT_EQ(RenormEditChanged(p, RenormField::Dn_mult, "0.9998"), std::nullopt);
    EXPECT_DOUBLE_EQ(p.Dn_mult, 0.9998);
    EXPECT_EQ(RenormEditChanged(p, RenormField::Dn_add, "-0.0015"), std::nullopt);
    EXPECT_DOUBLE_EQ(p.Dn_add, -0.0015);
}

TEST(OptionsRenorm, FirstKeystrokesOfANumberStayWithoutChangingTheParameter) {
    TParam p;
    p.AV_add = 0.5;
    for (const char* partial : {"-", ".", "-."}) {
        EXPECT_EQ(RenormEditChanged(p, RenormField::AV_add, partial), std::nullopt) << partial;
        EXPECT_DOUBLE_EQ(p.AV_add, 0.5) << partial;
    }
    // Left like that when the dialog closes, the edit gets the value back.
    EXPECT_EQ(RenormEditSettled(p, RenormField::AV_add, "-"), std::optional<std::string>("0.5000"));
    EXPECT_EQ(RenormEditChanged(p, RenormField::AV_add, "-.2"), std::nullopt);
    EXPECT_DOUBLE_EQ(p.AV_add, -0.2);
    EXPECT_EQ(RenormEditSettled(p, RenormField::AV_add, "-.2"), std::nullopt);
    // Typed with a decimal comma: "1," on the way to "1,0005".
    for (const char* typed : {"1", "1,", "1,0", "1,0005"}) EXPECT_EQ(RenormEditChanged(p, RenormField::AH_mult, typed), std::nullopt) << typed;
    EXPECT_DOUBLE_EQ(p.AH_mult, 1.0005);
    EXPECT_EQ(RenormEditSettled(p, RenormField::AH_mult, "1,0005"), std::nullopt);
}

TEST(PressureConverter, ConvertsBothWaysWithOneDecimal) {
    EXPECT_EQ(ConvertHpaTextToMmHg("1013.25"), std::optional<std::string>("760.2"));
    EXPECT_EQ(ConvertMmHgTextToHpa("760.0"), std::optional<std::string>("1013.0"));
    EXPECT_EQ(ConvertMmHgTextToHpa("760"), std::optional<std::string>("1013.0"));
    // The factor is not 1013.25 / 760: 1000 hPa is 750.2 mmHg, 750 mmHg 999.7 hPa.
    EXPECT_EQ(ConvertHpaTextToMmHg("1000"), std::optional<std::string>("750.2"));
    EXPECT_EQ(ConvertMmHgTextToHpa("750"), std::optional<std::string>("999.7"));
    // Exponents are numbers for the converter.
    EXPECT_EQ(ConvertHpaTextToMmHg("1.01325E3"), std::optional<std::string>("760.2"));
    EXPECT_EQ(ConvertMmHgTextToHpa("0"), std::optional<std::string>("0.0"));
}

TEST(PressureConverter, TextThatIsNotANumberGivesNothing) {
    EXPECT_EQ(ConvertHpaTextToMmHg("abc"), std::nullopt);
    EXPECT_EQ(ConvertHpaTextToMmHg(""), std::nullopt);
    EXPECT_EQ(ConvertMmHgTextToHpa("760,0,0"), std::nullopt);
    // A decimal comma is a decimal separator.
    EXPECT_EQ(ConvertMmHgTextToHpa("760,0"), std::optional<std::string>("1013.0"));
    EXPECT_EQ(ConvertHpaTextToMmHg("1013,25"), std::optional<std::string>("760.2"));
    EXPECT_EQ(ConvertMmHgTextToHpa("-"), std::nullopt);
}

}  // namespace
}  // namespace kestrova
