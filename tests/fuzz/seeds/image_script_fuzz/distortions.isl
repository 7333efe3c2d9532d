ISL 1
size 16 12
seed 5
background 40 80 120 200
plasma roughness=60 color1=0,0,0 color2=255,200,100
twirl angle=270 radius=80 x=40 y=60
kaleidoscope segments=7 angle=15
sine xamplitude=3 yamplitude=-2 wavelength=9 phase=30
waves amplitude=2 wavelength=5 direction=45
scratch density=40 length=5 horizontal=1 seed=9
divider columns=3 rows=2
carpet columns=2 rows=3
glass size=4 strength=-60
voxel size=3 depth=40
zoom scale=150 x=30 y=70
tilt back=40 side=-20 distance=80
seamless band=30
patternize cell=5 side=40 mirror=1
