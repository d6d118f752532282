#include "app/menu_table.h"

#include "app/command_ids.h"

namespace sonkrate::app {

const std::vector<platform::MenuPopup>& menuTable() {
    static const std::vector<platform::MenuPopup> menu = {
        {"File", {{"Load_Tpa", kCmdLoadTpa}, {"Play_Cau", kCmdPlayCau}, {"Play_Wav", kCmdPlayWav}}},
        {"Auto", {{"Auto_Play", kCmdAutoPlay}}},
        {"Save",
         {{"Save_as_Wav", kCmdSaveAsWav},
          {"Save_as_Cau", kCmdSaveAsCau},
          {"SaveAll_Cau", kCmdSaveAllCau},
          {"SaveAll_Wav", kCmdSaveAllWav}}},
        {"Convert",
         {{"Wav_to_Cau", kCmdWavToCau},
          {"Cau_to_Wav", kCmdCauToWav},
          {"*Dir_to_Caus", kCmdDirToCaus},
          {"Beta_to_Retail", kCmdBetaToRetail, true}}},
        {"Options",
         {{"Add_Cau", kCmdAddCau, true},
          {"Add_Wav", kCmdAddWav, true},
          {"New_Tpa", kCmdNewTpa},
          {"UpDater_", kCmdUpdater}}},
        {"*eels", {{"Load_*eel", kCmdLoadEel}, {"Save_*eel", kCmdSaveEel}}},
        {"Build", {{"*caus to *eel", kCmdCausToEel}, {"*eel_to_*tpa", kCmdEelToTpa}, {"*caus_to_*tpa", kCmdCausToTpa}}},
        {"Help", {{"Help_Files", kCmdHelpFiles}}},
    };
    return menu;
}

}  // namespace sonkrate::app
