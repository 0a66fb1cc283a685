[PulseRoot]
qPls=1
activePls=0
tmUnitInd=1
[Pulse0]
SectFmt=1
qItm=0
LocDur=0
