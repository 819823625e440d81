#pragma once
#include <string>

namespace tallomer {

class Documents;

// New, and the new-sheet guard's Yes and No.
void Form1_Command2_Click(Documents& d);
void Form6_Command1_Click(Documents& d);
void Form6_Command2_Click(Documents& d);

// Open, the open guard's Yes and No, and the file dialog put into open mode.
void Form1_Command5_Click(Documents& d);
void Form4_Command1_Click(Documents& d);
void Form4_Command2_Click(Documents& d);
std::string ShowOpenDialog(Documents& d);
// A workbook named on the command line, opened as the file dialog's Open button opens one.
void OpenGivenFile(Documents& d, const std::string& path);

// Quit, and the quit guard's Go back and Continue.
void Form1_Command4_Click(Documents& d);
void Form5_Command1_Click(Documents& d);
void Form5_Command2_Click(Documents& d);

// Save and Save As.
void Form1_Command3_Click(Documents& d);
void Form1_Command6_Click(Documents& d);

// The file dialog: its button, and its own events.
void Form7_Command1_Click(Documents& d);
void Form7_Form_Activate(Documents& d);
void Form7_Drive1_Change(Documents& d);
void Form7_Dir1_Change(Documents& d);

// Sizes the file dialog (6030 twips wide, the given height) and centres it on the screen.
void PlaceFileDialog(Documents& d, short height);

}  // namespace tallomer
