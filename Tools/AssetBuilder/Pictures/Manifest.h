// The manifest: one row per picture of the archive, in the catalogue's registration order (row i is
// the picture with GUID i). A row is the only place that states a picture's member name, size,
// conversion kind and file encoding, and names the function that draws it; the builder and the tests
// read it, and drawing code that must line up with another picture asks it for that picture's size.
#pragma once

#include "AssetBuilder/Pictures/Drawings.h"
#include "Data/Catalogue.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace assets {

// How a drawn canvas becomes the member's bytes (see the encoders in PictureKit.h).
enum class Encoding {
    kKeyedPng,   // key green where less than half covered
    kPlainPng,   // over black
    kJpeg,       // over black, quality 92: full chroma resolution keeps neon edges crisp
    kGreyJpeg,   // a light map: one grey channel (what the scenes read as blue), quality 95
    kKeyedJpeg,  // key green where transparent, then JPEG at quality 95
};

struct PictureSize {
    int width, height;
};

struct PictureRow {
    std::string_view member;  // path inside tarnos.zip, as the catalogue registers it
    PictureSize size;
    ImageKind kind;  // the conversion the program applies; must agree with the catalogue
    Encoding encoding;
    void (*draw)(Canvas&);
};

// clang-format off
inline constexpr std::array<PictureRow, kCatalogueSize> kManifest{{
    {"pelmarov/credits.png",                        {640, 480},  kPlain, Encoding::kPlainPng,  scene::Credits},
    {"pelmarov/zembravale.png",                     {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::TitleOverlay},
    {"pelmarov/casino.png",                         {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::CasinoSign},
    {"pelmarov/fresque_weird.jpg",                  {1024, 608}, kPlain, Encoding::kJpeg,      scene::Fresco},
    {"pelmarov/fresque_weird_zoom.jpg",             {1024, 608}, kPlain, Encoding::kJpeg,      scene::ZoomedFresco},
    {"sorvanik/cervin.png",                         {160, 120},  kKeyed, Encoding::kKeyedPng,  DrawSmallMountain},
    {"sorvanik/cervinglow.jpg",                     {640, 480},  kKeyed, Encoding::kKeyedJpeg, scene::SoftGlowMap},
    {"sorvanik/cervinglow2.jpg",                    {640, 480},  kKeyed, Encoding::kKeyedJpeg, scene::StrongGlowMap},
    {"pelmarov/zembramount_dark.png",               {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::DarkMountain},
    {"pelmarov/zembramount_light.png",              {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::LitMountain},
    {"pelmarov/zembramount_topless.png",            {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::ToplessMountain},
    {"pelmarov/agent_zembraback.png",               {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::Agent},
    {"pelmarov/rerevidgers.png",                    {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::Villains},
    {"pelmarov/sprite_elephant_logo.png",           {120, 240},  kKeyed, Encoding::kKeyedPng,  DrawElephant},
    {"pelmarov/lady_roupies.png",                   {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::Lady},
    {"pelmarov/vuvizarodaz.png",                    {210, 455},  kKeyed, Encoding::kKeyedPng,  scene::Villain},
    {"texts/thematterhorn.png",                     {560, 210},  kKeyed, Encoding::kKeyedPng,  TheMatterhorn},
    {"texts/youarewrongsir.png",                    {460, 166},  kKeyed, Encoding::kKeyedPng,  YouAreWrongSir},
    {"texts/proudlypresent.png",                    {380, 80},   kKeyed, Encoding::kKeyedPng,  ProudlyPresent},
    {"texts/thezembramountpictures.png",            {470, 64},   kKeyed, Encoding::kKeyedPng,  ZembramountPictures},
    {"texts/vuvizarodaz_evilplan.png",              {300, 150},  kKeyed, Encoding::kKeyedPng,  EvilPlan},
    {"texts/vuvizarodaz_let_the_rerevid.png",       {590, 40},   kKeyed, Encoding::kKeyedPng,  LetTheRerevidgers},
    {"texts/vostel1.png",                           {416, 131},  kKeyed, Encoding::kKeyedPng,  AgentVostel},
    {"texts/vostel2.png",                           {311, 129},  kKeyed, Encoding::kKeyedPng,  LicensedToGamble},
    {"sorvanik/chain1.png",                         {160, 40},   kKeyed, Encoding::kKeyedPng,  DrawChain},
    {"sorvanik/bombe.png",                          {84, 68},    kKeyed, Encoding::kKeyedPng,  DrawBigBomb},
    {"sorvanik/bombesmall.png",                     {42, 34},    kKeyed, Encoding::kKeyedPng,  DrawSmallBomb},
    {"sorvanik/cervinexplosion.jpg",                {640, 480},  kPlain, Encoding::kGreyJpeg,  scene::BlastMap},
    {"sorvanik/cervinexplosion2.jpg",               {640, 480},  kPlain, Encoding::kGreyJpeg,  scene::SecondBlastMap},
    {"sorvanik/zembrahelp.png",                     {326, 250},  kKeyed, Encoding::kKeyedPng,  scene::HelpInTheSky},
    {"sorvanik/zembramobile.png",                   {250, 205},  kKeyed, Encoding::kKeyedPng,  scene::DivingCar},
    {"sorvanik/dancer_left.png",                    {110, 240},  kKeyed, Encoding::kKeyedPng,  scene::LeftDancer},
    {"sorvanik/dancer_right.png",                   {160, 360},  kKeyed, Encoding::kKeyedPng,  scene::RightDancer},
    {"sorvanik/b29_big.png",                        {240, 80},   kKeyed, Encoding::kKeyedPng,  DrawBomber},
    {"sorvanik/phare.png",                          {464, 88},   kPlain, Encoding::kPlainPng,  scene::Beam},
    {"pelmarov/sacred_cow.png",                     {120, 100},  kKeyed, Encoding::kKeyedPng,  DrawCow},
    {"sorvanik/parachute.png",                      {120, 120},  kKeyed, Encoding::kKeyedPng,  DrawParachute},
    {"sorvanik/helmet.png",                         {210, 90},   kKeyed, Encoding::kKeyedPng,  DrawHelmet},
    {"pelmarov/taj_phare_fullscreen_casino.jpg",    {640, 480},  kPlain, Encoding::kJpeg,      scene::TajPhare},
    {"pelmarov/vostel_alone.png",                   {364, 389},  kKeyed, Encoding::kKeyedPng,  scene::Walker},
    {"pelmarov/sprite_dollar01.png",                {64, 64},    kKeyed, Encoding::kKeyedPng,  DrawBanknote},
    {"pelmarov/sprite_dollar02.png",                {64, 64},    kKeyed, Encoding::kKeyedPng,  DrawCoin},
    {"pelmarov/sprite_dollar03.png",                {64, 64},    kKeyed, Encoding::kKeyedPng,  DrawDollarSign},
    {"pelmarov/sprite_dollar04.png",                {64, 64},    kKeyed, Encoding::kKeyedPng,  DrawMoneyBag},
    {"pelmarov/sprite_dollar05.png",                {64, 64},    kKeyed, Encoding::kKeyedPng,  DrawCoinStack},
    {"pelmarov/casinoview.jpg",                     {640, 480},  kPlain, Encoding::kJpeg,      scene::CasinoView},
    {"pelmarov/casino_machine_a_sou.png",           {213, 320},  kKeyed, Encoding::kKeyedPng,  scene::OneSlotMachine},
    {"pelmarov/theevilmachine.png",                 {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::EvilMachine},
    {"pelmarov/pince_alone.png",                    {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::Pliers},
    {"pelmarov/zembravale_worker.png",              {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::Worker},
    {"pelmarov/theevilmachine_counter.png",         {640, 480},  kPlain, Encoding::kPlainPng,  DrawCounterCloseUp},
    {"pelmarov/alamo_crooner_cowboy.png",           {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::Crooner},
    {"pelmarov/alamo_crooner_cowboy_background.png", {640, 480}, kPlain, Encoding::kPlainPng,  scene::WesternSet},
    {"pelmarov/explosion_zembraboom.png",           {640, 480},  kKeyed, Encoding::kKeyedPng,  scene::BoomLettering},
    {"texts/noswiss.png",                           {500, 150},  kKeyed, Encoding::kKeyedPng,  NoSwiss},
    {"texts/defuse1.png",                           {390, 250},  kKeyed, Encoding::kKeyedPng,  DefuseIt},
    {"texts/defuse2.png",                           {500, 290},  kKeyed, Encoding::kKeyedPng,  CutAWire},
    {"texts/thered.png",                            {480, 270},  kKeyed, Encoding::kKeyedPng,  TheRedOne},
    {"texts/thegreen.png",                          {540, 300},  kKeyed, Encoding::kKeyedPng,  TheGreenOne},
    {"texts/snap.png",                              {550, 250},  kKeyed, Encoding::kKeyedPng,  Snap},
    {"texts/evilmachine.png",                       {270, 166},  kKeyed, Encoding::kKeyedPng,  TheEvilMachine},
    {"texts/alamo_intro.png",                       {336, 184},  kKeyed, Encoding::kKeyedPng,  WesternCard},
    {"texts/fuckingwire.png",                       {400, 360},  kKeyed, Encoding::kKeyedPng,  WhichWire},
    {"pelmarov/digit_small_0.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 0); }},
    {"pelmarov/digit_small_1.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 1); }},
    {"pelmarov/digit_small_2.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 2); }},
    {"pelmarov/digit_small_3.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 3); }},
    {"pelmarov/digit_small_4.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 4); }},
    {"pelmarov/digit_small_5.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 5); }},
    {"pelmarov/digit_small_6.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 6); }},
    {"pelmarov/digit_small_7.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 7); }},
    {"pelmarov/digit_small_8.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 8); }},
    {"pelmarov/digit_small_9.png",                  {48, 90},    kKeyed, Encoding::kKeyedPng,  [](Canvas& c) { DrawDigit(c, 9); }},
    {"pelmarov/digit_small_points.png",             {60, 90},    kKeyed, Encoding::kKeyedPng,  DrawColon},
    {"pelmarov/movie1.png",                         {640, 480},  kPlain, Encoding::kPlainPng,  scene::MovieRooftop},
    {"pelmarov/movie2.png",                         {640, 480},  kPlain, Encoding::kPlainPng,  scene::MovieMountainRoad},
    {"pelmarov/movie3.png",                         {640, 480},  kPlain, Encoding::kPlainPng,  scene::MovieDuel},
    {"pelmarov/movie4.png",                         {640, 480},  kPlain, Encoding::kPlainPng,  scene::MovieRocket},
    {"pelmarov/movie5.png",                         {640, 480},  kPlain, Encoding::kPlainPng,  scene::MovieUnderwater},
    {"pelmarov/movie6.png",                         {640, 480},  kPlain, Encoding::kPlainPng,  scene::MovieNoir},
    {"pelmarov/explosion_background.png",           {640, 480},  kPlain, Encoding::kPlainPng,  scene::ExplosionBackground},
    {"pelmarov/headA1.png",                         {80, 96},    kKeyed, Encoding::kKeyedPng,  DrawCalmHeadA},
    {"pelmarov/headA2.png",                         {80, 96},    kKeyed, Encoding::kKeyedPng,  DrawShoutingHeadA},
    {"pelmarov/headA3.png",                         {80, 96},    kKeyed, Encoding::kKeyedPng,  DrawSingedHeadA},
    {"pelmarov/headB1.png",                         {80, 96},    kKeyed, Encoding::kKeyedPng,  DrawCalmHeadB},
    {"pelmarov/headB2.png",                         {80, 96},    kKeyed, Encoding::kKeyedPng,  DrawShoutingHeadB},
    {"pelmarov/headB3.png",                         {80, 96},    kKeyed, Encoding::kKeyedPng,  DrawSingedHeadB},
    {"pelmarov/fin01.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinDawn},
    {"pelmarov/fin02.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinRoad},
    {"pelmarov/fin03.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinJail},
    {"pelmarov/fin04.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinNewspaper},
    {"pelmarov/fin05.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinBeach},
    {"pelmarov/fin06.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinRoulette},
    {"pelmarov/fin07.png",                          {640, 480},  kPlain, Encoding::kPlainPng,  scene::FinMeadow},
    {"pelmarov/fin08.png",                          {396, 303},  kPlain, Encoding::kPlainPng,  scene::FinSnapshot},
    {"pelmarov/fin09.png",                          {395, 307},  kPlain, Encoding::kPlainPng,  scene::FinClapper},
    {"pelmarov/fin10.png",                          {94, 22},    kPlain, Encoding::kPlainPng,  SmallLine},
    {"pelmarov/fin11.png",                          {452, 264},  kPlain, Encoding::kPlainPng,  EndCard},
    {"pelmarov/intro_warning.png",                  {640, 152},  kPlain, Encoding::kPlainPng,  WarningCard},
    {"pelmarov/another_nimbrel_joint.png",          {290, 68},   kPlain, Encoding::kPlainPng,  GroupCard},
}};
// clang-format on

// The row of a member; naming a member the manifest lacks fails the build where it is evaluated at
// compile time, and throws otherwise.
constexpr const PictureRow& ManifestRow(std::string_view member) {
    for (const PictureRow& row : kManifest) {
        if (row.member == member) return row;
    }
    throw std::out_of_range("no picture in the manifest");
}

// The member's bytes: the row's drawing on a fresh canvas of the row's size, encoded as the row says.
std::vector<uint8_t> RenderPicture(const PictureRow& row);

}  // namespace assets
