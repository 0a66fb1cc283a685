[PulseRoot]
qPls=1
activePls=5000000000
