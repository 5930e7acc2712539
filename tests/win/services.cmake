# Windows tests of this area are added here.
