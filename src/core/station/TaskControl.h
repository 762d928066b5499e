#pragma once

namespace kestrova {

class Station;

// Timer1 of the main window fires this often.
inline constexpr int Timer1Interval = 20000; // ms

// Timer1: refreshes the status twice, keeping the screen cursor between the two refreshes.
void Timer1Timer(Station& station);

// "&Reset Tasks": restarts a halted store timer (the media process stays as it is) and refreshes.
void ResetTasks1Click(Station& station);

// "Me&dia Process ON" / "Me&dia Process OFF": allows or stops backups.
void AutoProcess1Click(Station& station);

} // namespace kestrova
